#include "firmware/UpdateFile.h"

#include "core/MessageText.h"

#include <QBuffer>
#include <QIODevice>
#include <cctype>
#include <functional>
#include <string>
#include <utility>

namespace {

bool isDigitOf(char c, int base)
{
    switch (base) {
    case 2: return c == '0' || c == '1';
    case 8: return c >= '0' && c <= '7';
    case 10: return c >= '0' && c <= '9';
    default: return std::isxdigit(static_cast<unsigned char>(c)) != 0;
    }
}

quint64 digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return quint64(c - '0');
    return quint64(std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
}

}  // namespace

std::optional<quint32> parseUpdateWord(QByteArrayView token)
{
    int base = 10;
    QByteArrayView digits = token;
    if (token.startsWith("0x") || token.startsWith("0X")) {
        base = 16;
        digits = token.sliced(2);
    } else if (token.startsWith("0b") || token.startsWith("0B")) {
        base = 2;
        digits = token.sliced(2);
    } else if (token.size() > 1 && token.startsWith('0')) {
        base = 8;
        digits = token.sliced(1);
    }
    // Only digits after the prefix: no second prefix ("0x0x10"), sign or blank.
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const char c : digits) {
        if (!isDigitOf(c, base))
            return std::nullopt;
        value = value * quint64(base) + digitValue(c);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    return quint32(value);
}

namespace {

// Splits the text into whitespace-separated tokens as it arrives, counting the
// line feeds, and hands on the value of each; a token may span two blocks.
class TokenReader {
public:
    explicit TokenReader(std::function<void(quint32)> word) : word_(std::move(word)) {}

    // Takes the next block; false (failure set) at a token that is no number.
    bool take(const char* data, qint64 size, QString& failure)
    {
        for (qint64 i = 0; i < size; ++i) {
            const char c = data[i];
            if (!isSeparator(c)) {
                token_ += c;  // keeps its capacity across tokens: no allocation per number
                continue;
            }
            if (!endToken(failure))
                return false;
            if (c == '\n')
                ++lineFeeds_;
        }
        return true;
    }
    bool finish(QString& failure) { return endToken(failure); }
    qint64 lineFeeds() const { return lineFeeds_; }

private:
    static bool isSeparator(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

    bool endToken(QString& failure)
    {
        if (token_.empty())
            return true;
        const std::optional<quint32> value = parseUpdateWord(QByteArrayView(token_.data(), qsizetype(token_.size())));
        if (!value) {
            const QByteArray shown(token_.data(), qsizetype(qMin<std::size_t>(token_.size(), 40)));
            failure = QStringLiteral("Line %1: \"%2\" is not an unsigned 32-bit number.")
                          .arg(QString::number(lineFeeds_ + 1), messageText(shown));
            return false;
        }
        word_(*value);
        token_.clear();
        return true;
    }

    std::function<void(quint32)> word_;
    std::string token_;
    qint64 lineFeeds_ = 0;
};

QString sizeRefusal(qint64 size)
{
    return QStringLiteral("The file holds %1 bytes; an update file holds at most %2 bytes (the unit's largest "
                          "image written one number per line).")
        .arg(QString::number(size), QString::number(kMaxUpdateFileBytes));
}

}  // namespace

std::optional<UpdateFile> UpdateFile::read(QIODevice& input, QString& failure)
{
    if (!input.isSequential() && input.size() > kMaxUpdateFileBytes) {
        failure = sizeRefusal(input.size());
        return std::nullopt;
    }
    UpdateFile file;
    TokenReader reader([&file](quint32 word) { file.append(word); });
    QByteArray block(64 * 1024, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const qint64 size = input.read(block.data(), block.size());
        if (size < 0) {
            failure = QStringLiteral("The file could not be read: %1").arg(messageText(input.errorString()));
            return std::nullopt;
        }
        if (size == 0)
            break;
        total += size;
        if (total > kMaxUpdateFileBytes) {  // it grew while being read
            failure = sizeRefusal(total);
            return std::nullopt;
        }
        if (!reader.take(block.constData(), size, failure))
            return std::nullopt;
    }
    if (!reader.finish(failure))
        return std::nullopt;
    if (file.wordCount_ == 0) {
        // Sending it would reprogram the unit with zeros.
        failure = QStringLiteral("The file holds no number; sending it would reprogram the unit with zeros.");
        return std::nullopt;
    }
    const qint64 byLineFeeds = (reader.lineFeeds() - 1) / kWordsPerPacket + 1;
    file.packetCount_ = int(qMax<qint64>(byLineFeeds, file.packets_.size()));
    return file;
}

std::optional<UpdateFile> UpdateFile::parse(const QByteArray& text, QString& failure)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    return read(buffer, failure);
}

void UpdateFile::append(quint32 word)
{
    if (packets_.isEmpty() || packets_.last().size() == kWordsPerPacket) {
        packets_.append(QList<quint32>());
        packets_.last().reserve(kWordsPerPacket);
    }
    packets_.last().append(word);
    ++wordCount_;
}

QList<quint32> UpdateFile::packet(int k) const
{
    QList<quint32> payload = packets_.value(k);
    payload.resize(kWordsPerPacket, 0);
    return payload;
}
