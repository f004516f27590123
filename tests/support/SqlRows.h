#pragma once
// Reading the database the way a test checks it: the first column of every row.

#include <QStringList>

QStringList column(const QString& statement);
