#pragma once
// Every connection to an SQLite file of this program goes through here. Two
// programs on one data root are normal (the window and tolm-cli), so a
// statement that finds the file locked by the other waits a while before it
// fails, and then says in words that the database is busy and which file it is.

#include <QSqlDatabase>
#include <QString>

class QSqlError;

namespace sqlite {

// How long a statement waits for another program to release the file.
// Tests shorten it.
int& busyTimeoutMs();

// Adds a "QSQLITE" connection to the file with the busy time-out set; the
// caller opens it.
QSqlDatabase addConnection(const QString& path,
                           const QString& connectionName = QLatin1String(QSqlDatabase::defaultConnection));

// What a failed statement or open reports: for a file another program still
// holds locked, that the database is busy and its path; otherwise the
// database's own text.
QString failureText(const QSqlError& error,
                    const QSqlDatabase& database = QSqlDatabase::database(QSqlDatabase::defaultConnection, false));

}  // namespace sqlite
