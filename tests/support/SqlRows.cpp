#include "SqlRows.h"

#include <QSqlQuery>
#include <QVariant>

QStringList column(const QString& statement)
{
    QStringList values;
    QSqlQuery query(statement);
    while (query.next())
        values << query.value(0).toString();
    return values;
}
