#include "cli/CliJson.h"

#include "cli/CliCommand.h"

#include <QDateTime>
#include <QJsonDocument>

#include <algorithm>
#include <cstdio>

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

// Indented JSON nests by four blanks a level.
const QByteArray kLevel(4, ' ');

void write(const QByteArray& bytes) { std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout); }

}  // namespace

void printJson(const QJsonObject& object) { printDocument(QJsonDocument(object)); }
void printJson(const QJsonArray& array) { printDocument(QJsonDocument(array)); }

QByteArray jsonText(const QString& text)
{
    // Printable ASCII without quote or backslash stands as it is; anything
    // else takes Qt's own escaping, so the bytes stay those of printJson().
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7f && c != QLatin1Char('"') && c != QLatin1Char('\\');
    });
    if (plain)
        return '"' + text.toLatin1() + '"';
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);  // ["..."]
    return array.mid(1, array.size() - 2);
}

QByteArray jsonText(qint64 number) { return QByteArray::number(number); }

QByteArray jsonText(bool value) { return value ? QByteArrayLiteral("true") : QByteArrayLiteral("false"); }

QByteArray jsonDateTimeText(const QDateTime& time)
{
    const QDateTime utc = time.timeSpec() == Qt::UTC ? time : time.toUTC();
    const QDate date = utc.date();
    const QTime clock = utc.time();
    if (!utc.isValid() || date.year() < 1000 || date.year() > 9999)
        return jsonText(jsonDateTime(time));
    // The text of jsonDateTime() without parsing its format at every call,
    // which a listing of many flights would feel: "yyyy-MM-ddTHH:mm:ssZ", quoted.
    char text[] = "\"0000-00-00T00:00:00Z\"";
    const auto put = [&text](int at, int value, int digits) {
        for (int i = at + digits - 1; i >= at; --i, value /= 10)
            text[i] = char('0' + value % 10);
    };
    put(1, date.year(), 4);
    put(6, date.month(), 2);
    put(9, date.day(), 2);
    put(12, clock.hour(), 2);
    put(15, clock.minute(), 2);
    put(18, clock.second(), 2);
    return QByteArray(text, sizeof text - 1);
}

JsonArrayStream::JsonArrayStream(QLatin1StringView key, const QList<QLatin1StringView>& elementKeys)
{
    Q_ASSERT(std::is_sorted(elementKeys.begin(), elementKeys.end()));
    for (QLatin1StringView member : elementKeys)
        memberStarts_.push_back(std::string(3 * kLevel.size(), ' ') + '"' + std::string(member.data(), member.size())
                                + "\": ");
    write("{\n" + kLevel + '"' + QByteArray(key.data(), key.size()) + "\": [\n");
}

void JsonArrayStream::append(std::initializer_list<QByteArrayView> values)
{
    Q_ASSERT(values.size() == memberStarts_.size());
    const std::string elementIndent(2 * kLevel.size(), ' ');
    buffer_.clear();
    if (!empty_)
        buffer_ += ",\n";
    buffer_ += elementIndent + "{\n";
    std::size_t member = 0;
    for (QByteArrayView value : values) {
        buffer_ += memberStarts_[member];
        buffer_.append(value.data(), std::size_t(value.size()));
        buffer_ += ++member == memberStarts_.size() ? "\n" : ",\n";
    }
    buffer_ += elementIndent + '}';
    std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
    empty_ = false;
}

void JsonArrayStream::finish(const QJsonObject& rest)
{
    // The rest as a document of its own, less its opening brace: "{\n" + members + "\n}\n".
    const QByteArray members = QJsonDocument(rest).toJson(QJsonDocument::Indented).mid(2);
    write((empty_ ? QByteArray() : QByteArrayLiteral("\n")) + kLevel + ']'
          + (rest.isEmpty() ? QByteArrayLiteral("\n}\n") : ",\n" + members));
    std::fflush(stdout);
}

}  // namespace cli
