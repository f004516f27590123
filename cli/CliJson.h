#pragma once
// JSON on standard output, alike for every command: one object (or, for a
// listing, one array), indented;
// keys in camelCase, acronyms included ("korvelPn", not "korvelPN"), as
// "truncatedFiles" or "rawFile";
// date-times in ISO 8601, in UTC when the zone is known
// ("2026-12-08T13:44:00Z"), else without a zone.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

class QDateTime;

namespace cli {

// The key in camelCase: a capital that follows a capital is lowered ("korvelPN" -> "korvelPn").
QString jsonKey(const QString& name);
// A date-time whose zone is known in UTC with "Z"; a zone-less wall-clock time without one.
QString jsonDateTime(const QDateTime& time, bool zoneKnown = true);
// Prints the object; its keys are the command's own, or identifiers passed through jsonKey().
void printJson(const QJsonObject& object);
void printJson(const QJsonArray& array);

}  // namespace cli
