#include "firmware/UpdateFile.h"

#include <algorithm>
#include <cctype>

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

}  // namespace

std::optional<quint32> parseUpdateWord(const QByteArray& token)
{
    int base = 10;
    QByteArray digits = token;
    if (token.startsWith("0x") || token.startsWith("0X")) {
        base = 16;
        digits = token.mid(2);
    } else if (token.startsWith("0b") || token.startsWith("0B")) {
        base = 2;
        digits = token.mid(2);
    } else if (token.size() > 1 && token.startsWith('0')) {
        base = 8;
        digits = token.mid(1);
    }
    // Only digits after the prefix: the conversion alone would take a second
    // prefix ("0x0x10"), a sign or blanks.
    const auto isDigit = [base](char c) { return isDigitOf(c, base); };
    if (digits.isEmpty() || !std::all_of(digits.cbegin(), digits.cend(), isDigit))
        return std::nullopt;
    bool ok = false;
    const qulonglong value = digits.toULongLong(&ok, base);
    if (!ok || value > 0xFFFFFFFFull)
        return std::nullopt;
    return quint32(value);
}

std::optional<UpdateFile> UpdateFile::parse(const QByteArray& text, QString& failure)
{
    UpdateFile file;
    const QList<QByteArray> lines = text.split('\n');
    for (int line = 0; line < lines.size(); ++line) {
        for (const QByteArray& token : lines[line].simplified().split(' ')) {
            if (token.isEmpty())
                continue;
            const std::optional<quint32> word = parseUpdateWord(token);
            if (!word) {
                failure = QStringLiteral("Line %1: \"%2\" is not an unsigned 32-bit number.")
                              .arg(line + 1)
                              .arg(QString::fromLatin1(token.left(40)));
                return std::nullopt;
            }
            file.words_.append(*word);
        }
    }
    if (file.words_.isEmpty()) {
        // Sending it would reprogram the unit with zeros.
        failure = QStringLiteral("The file holds no number; sending it would reprogram the unit with zeros.");
        return std::nullopt;
    }
    const int lineFeeds = int(text.count('\n'));
    const int byLineFeeds = (lineFeeds - 1) / kWordsPerPacket + 1;
    const int byWords = int((file.words_.size() + kWordsPerPacket - 1) / kWordsPerPacket);
    file.packetCount_ = qMax(byLineFeeds, byWords);
    return file;
}

QList<quint32> UpdateFile::packet(int k) const
{
    QList<quint32> payload = words_.mid(qsizetype(k) * kWordsPerPacket, kWordsPerPacket);
    payload.resize(kWordsPerPacket, 0);
    return payload;
}
