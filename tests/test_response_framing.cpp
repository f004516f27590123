// Cutting the byte stream into answers however the bytes arrive.

#include "TestEnvironment.h"
#include "link/ResponseFramer.h"
#include "simulator/ResponseBuilder.h"
#include "link/Protocol.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

namespace {

// A stream that hands out exactly the bytes fed so far, like a socket.
class FeedDevice : public QIODevice {
public:
    FeedDevice() { open(QIODevice::ReadOnly); }
    void feed(const QByteArray& bytes) { pending_ += bytes; }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return pending_.size() + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 max) override
    {
        const qint64 n = qMin<qint64>(max, pending_.size());
        if (n > 0)
            std::memcpy(data, pending_.constData(), size_t(n));
        pending_.remove(0, n);
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray pending_;
};

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

}  // namespace

class ResponseFramingTest : public QObject {
    Q_OBJECT
    TestEnvironment env;
    ResponseBuilder builder;

private slots:
    void lengthWordAloneInItsOwnSegment()
    {
        const QByteArray answer = builder.build(mirvak::CMD_PN);
        FeedDevice device;
        ResponseFramer framer;
        device.feed(answer.left(2));
        QCOMPARE(framer.next(device), ResponseFramer::Outcome::NeedMore);
        device.feed(answer.mid(2, 2));
        QCOMPARE(framer.next(device), ResponseFramer::Outcome::NeedMore);
        QCOMPARE(framer.pendingLength(), 316u);
        device.feed(answer.mid(4));
        QCOMPARE(framer.next(device), ResponseFramer::Outcome::Response);
        QCOMPARE(contentOf(framer.normalisedFile()).size(), 320);
        QCOMPARE(framer.pendingLength(), 0u);
        QFile::remove(framer.normalisedFile());
    }

    void largeAnswerInManySegments()
    {
        const QByteArray answer = builder.build(mirvak::CMD_DOWNLOAD_DATA);
        FeedDevice device;
        ResponseFramer framer;
        int waits = 0;
        for (qsizetype at = 0; at < answer.size(); at += 65536) {
            device.feed(answer.mid(at, 65536));
            if (at + 65536 < answer.size()) {
                QCOMPARE(framer.next(device), ResponseFramer::Outcome::NeedMore);
                ++waits;
            }
        }
        QVERIFY(waits > 80);
        QCOMPARE(framer.next(device), ResponseFramer::Outcome::Response);
        const QByteArray normalised = contentOf(framer.normalisedFile());
        QCOMPARE(normalised.size(), answer.size());
        QCOMPARE(qFromLittleEndian<quint32>(normalised.constData() + 24), 21u);
        QFile::remove(framer.normalisedFile());
    }

    void twoAnswersInOneRead()
    {
        FeedDevice device;
        ResponseFramer framer;
        device.feed(builder.build(mirvak::CMD_STATUS_REQ) + builder.build(mirvak::CMD_ERASE_DATA));
        QCOMPARE(framer.next(device), ResponseFramer::Outcome::Response);
        QCOMPARE(contentOf(framer.normalisedFile()).size(), 72);
        QFile::remove(framer.normalisedFile());
        QCOMPARE(framer.next(device), ResponseFramer::Outcome::Response);
        QCOMPARE(contentOf(framer.normalisedFile()).size(), 12);
        QFile::remove(framer.normalisedFile());
        QCOMPARE(framer.next(device), ResponseFramer::Outcome::NeedMore);
    }

    void outOfRangeLengthWords_data()
    {
        QTest::addColumn<quint32>("length");
        QTest::newRow("below four") << 3u;
        QTest::newRow("zero") << 0u;
        QTest::newRow("below the header") << 11u;
        QTest::newRow("remainder 0xFFFFFF") << 0x1000003u;
        QTest::newRow("huge") << 0xFFFFFFF0u;
    }
    void outOfRangeLengthWords()
    {
        QFETCH(quint32, length);
        FeedDevice device;
        QByteArray word(4, 0);
        qToBigEndian(length, word.data());
        device.feed(word);
        ResponseFramer framer;
        QCOMPARE(framer.next(device), ResponseFramer::Outcome::InvalidLength);
        framer.reset();
        device.feed(builder.build(mirvak::CMD_ERASE_DATA));
        QCOMPARE(framer.next(device), ResponseFramer::Outcome::Response);
        QFile::remove(framer.normalisedFile());
    }

    void refusedAnswerStillEndsTheExchange()
    {
        FeedDevice device;
        ResponseFramer framer;
        QByteArray nack = builder.build(mirvak::CMD_ERASE_DATA);
        nack[7] = 1;
        device.feed(nack);
        QCOMPARE(framer.next(device), ResponseFramer::Outcome::Response);
        QVERIFY(framer.normalisedFile().isEmpty());
        QCOMPARE(framer.failure(), QStringLiteral("Detected ACK error"));
        QCOMPARE(env.prompts().onlyMessage(), QString());  // the consumer decides how to tell
    }

    // A disk that fills while an answer is spooled is named with the system's reason.
    void fullDiskWhileSpoolingSaysWhy()
    {
        const QByteArray answer = builder.build(mirvak::CMD_GET_FLIGHT_HISTORY);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = 16 * 1024;  // well inside the answer
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limited);
        QString failure;
        const QString normalised = ResponseFramer::normalise({quint32(answer.size()), answer.mid(4)}, failure);
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(normalised, QString());
        QCOMPARE(failure, QStringLiteral("Cannot create temporary file: File too large"));
        QCOMPARE(QDir(env.dataRoot() + "/tmp").entryList(QDir::Files), QStringList());
    }

    void answerOfTheWrongLengthIsRefusedAtItsLengthWord()
    {
        FeedDevice device;
        ResponseFramer framer;
        framer.expectLength(mirvak::responseLength(mirvak::CMD_GET_FLIGHT_HISTORY));
        device.feed(builder.build(mirvak::CMD_DOWNLOAD_DATA).left(4));
        QCOMPARE(framer.next(device), ResponseFramer::Outcome::UnexpectedLength);
        QCOMPARE(framer.failure(), QStringLiteral("The unit's answer holds 5874016 bytes; 52892 bytes were expected."));
    }
};

QTEST_GUILESS_MAIN(ResponseFramingTest)
#include "test_response_framing.moc"
