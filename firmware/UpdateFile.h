#pragma once
// An update file for the unit: text, one unsigned 32-bit number per line
// (prefix 0x hexadecimal, 0b binary, a leading 0 octal, otherwise decimal),
// sent in packets of 1280 words. The whole file is checked before anything is
// sent, and no number of it is ever dropped.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

constexpr int kWordsPerPacket = 1280;
constexpr int kPacketBytes = kWordsPerPacket * 4;

class UpdateFile {
public:
    // Parses the text; on a token that is no unsigned 32-bit number, or when the
    // text holds no number at all, returns nothing and sets failure to a message
    // (naming the line of a bad token).
    static std::optional<UpdateFile> parse(const QByteArray& text, QString& failure);

    // One packet per 1280 line feeds (at least one), or more when the numbers need them.
    int packetCount() const { return packetCount_; }
    // The 1280 words of packet k (0-based); words past the file's numbers are 0.
    QList<quint32> packet(int k) const;
    int wordCount() const { return int(words_.size()); }

private:
    QList<quint32> words_;
    int packetCount_ = 1;
};

// The value of one token, or nothing when it is no unsigned 32-bit number.
std::optional<quint32> parseUpdateWord(const QByteArray& token);
