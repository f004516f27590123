#include "cli/CliJson.h"

#include "cli/CliCommand.h"

#include <QDateTime>
#include <QJsonDocument>

namespace cli {

QString jsonKey(const QString& name)
{
    QString key = name;
    for (qsizetype i = 1; i < key.size(); ++i)
        if (name[i].isUpper() && name[i - 1].isUpper())
            key[i] = name[i].toLower();
    return key;
}

QString jsonDateTime(const QDateTime& time, bool zoneKnown)
{
    if (!zoneKnown)
        return time.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
    return time.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

namespace {

void printDocument(const QJsonDocument& document)
{
    printLine(QString::fromUtf8(document.toJson(QJsonDocument::Indented)).trimmed());
}

}  // namespace

void printJson(const QJsonObject& object) { printDocument(QJsonDocument(object)); }
void printJson(const QJsonArray& array) { printDocument(QJsonDocument(array)); }

}  // namespace cli
