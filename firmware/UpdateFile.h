#pragma once
// An update file for the unit: text, one unsigned 32-bit number per line
// (prefix 0x hexadecimal, 0b binary, a leading 0 octal, otherwise decimal),
// sent in packets of 1280 words. The whole file is checked before anything is
// sent, and no number of it is ever dropped.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

class QIODevice;

constexpr int kWordsPerPacket = 1280;
constexpr int kPacketBytes = kWordsPerPacket * 4;

// No image of the unit is larger than 16 MiB, the most the protocol carries in
// one message; written one number per line in the longest form ("0b" and 32
// digits, CR LF: 36 characters for 4 bytes) such an image is 144 MiB of text.
// A larger file cannot be an image and is refused before it is read.
constexpr qint64 kMaxUpdateFileBytes = 16LL * 1024 * 1024 / 4 * 36;

class UpdateFile {
public:
    // Reads the numbers as a stream, a block at a time, so that only the words
    // are held. On a token that is no unsigned 32-bit number, a text without
    // any number, a file above kMaxUpdateFileBytes (refused unread) or a read
    // error, returns nothing and sets failure to a message (naming the line of
    // a bad token).
    static std::optional<UpdateFile> read(QIODevice& input, QString& failure);
    static std::optional<UpdateFile> parse(const QByteArray& text, QString& failure);

    // One packet per 1280 line feeds (at least one), or more when the numbers need them.
    int packetCount() const { return packetCount_; }
    // The 1280 words of packet k (0-based); words past the file's numbers are 0.
    QList<quint32> packet(int k) const;
    int wordCount() const { return wordCount_; }

private:
    void append(quint32 word);

    // The file's numbers, 1280 to a packet: growing never copies them all.
    QList<QList<quint32>> packets_;
    int wordCount_ = 0;
    int packetCount_ = 1;
};

// The value of one token, or nothing when it is no unsigned 32-bit number.
std::optional<quint32> parseUpdateWord(QByteArrayView token);
