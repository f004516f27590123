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
#include <initializer_list>
#include <string>
#include <vector>

class QDateTime;

namespace cli {

// The key in camelCase: a capital that follows a capital is lowered ("korvelPN" -> "korvelPn").
QString jsonKey(const QString& name);
// A date-time whose zone is known in UTC with "Z"; a zone-less wall-clock time without one.
QString jsonDateTime(const QDateTime& time, bool zoneKnown = true);
// Prints the object; its keys are the command's own, or identifiers passed through jsonKey().
void printJson(const QJsonObject& object);
void printJson(const QJsonArray& array);

// A value's text as printJson() writes it: a string quoted and escaped as
// Qt's JSON writer does, a number in decimal, a date-time as jsonDateTime().
QByteArray jsonText(const QString& text);
QByteArray jsonText(qint64 number);
QByteArray jsonText(bool value);
QByteArray jsonDateTimeText(const QDateTime& time);

// One object printed while its first member, an array of objects, is still
// being formed: element by element, in the bytes printJson() would give the
// whole object, so a long listing is never held whole.
class JsonArrayStream {
public:
    // key: the array's, an identifier that sorts before the keys of finish();
    // elementKeys: the keys of every element, sorted, as QJsonObject keeps them.
    JsonArrayStream(QLatin1StringView key, const QList<QLatin1StringView>& elementKeys);
    // One element: the jsonText() of each member, in the order of elementKeys.
    void append(std::initializer_list<QByteArrayView> values);
    // The object's other members, and its end.
    void finish(const QJsonObject& rest);

private:
    std::vector<std::string> memberStarts_;  // indent, key and colon of each element member
    std::string buffer_;                     // one element's text, kept for the next one
    bool empty_ = true;
};

}  // namespace cli
