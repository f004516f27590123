// Requests on the wire and the normalisation of answers into host-order files.

#include "TestEnvironment.h"
#include "link/Protocol.h"
#include "link/ResponseNormalizer.h"
#include "simulator/ResponseBuilder.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>

using namespace mirvak;

namespace {

QByteArray be32(quint32 v)
{
    QByteArray b(4, 0);
    qToBigEndian(v, b.data());
    return b;
}

QByteArray block(quint32 type, const QByteArray& data, quint32 byteCount = quint32(-1))
{
    return be32(type) + be32(byteCount == quint32(-1) ? quint32(data.size()) : byteCount) + data;
}

QByteArray message(quint32 ack, const QByteArray& blocks, quint32 length = 0)
{
    return be32(length ? length : quint32(12 + blocks.size())) + be32(ack) + be32(3) + blocks;
}

quint32 le32(const QByteArray& b, int offset) { return qFromLittleEndian<quint32>(b.constData() + offset); }

QByteArray le32Bytes(quint32 v)
{
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}

// An answer of random blocks, larger than the normaliser's buffer, and what
// normalising it gives: every whole element's bytes reversed, block heads and
// the message head in host order. Odd byte counts leave elements cut by the
// buffer's end.
struct RandomAnswer {
    QByteArray raw, normalised;
    QList<qsizetype> blockEnds;  // in both, where each block ends
};

RandomAnswer randomAnswer(quint32 seed, qsizetype atLeast)
{
    QRandomGenerator random(seed);
    RandomAnswer answer;
    QByteArray rawBlocks, normalBlocks;
    while (rawBlocks.size() < atLeast) {
        const quint32 type = random.bounded(4);
        const quint32 count = random.bounded(8) == 0 ? 0 : random.bounded(9000);
        QByteArray data(count, 0);
        for (char& byte : data)
            byte = char(random.bounded(256));
        const int element = type == 0 ? 1 : type == 1 ? 2 : 4;
        QByteArray host = data;
        for (qsizetype i = 0; i + element <= host.size(); i += element)
            std::reverse(host.begin() + i, host.begin() + i + element);
        rawBlocks += block(type, data);
        normalBlocks += le32Bytes(type) + le32Bytes(count) + host;
        answer.blockEnds << 12 + rawBlocks.size();
    }
    answer.raw = message(0, rawBlocks);
    answer.normalised = le32Bytes(quint32(answer.raw.size())) + le32Bytes(0) + le32Bytes(3) + normalBlocks;
    return answer;
}

}  // namespace

class ProtocolTest : public QObject {
    Q_OBJECT
    TestEnvironment env;

    QString writeRaw(const QByteArray& bytes)
    {
        const QString path = env.path() + QStringLiteral("/raw.bin");
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
        return path;
    }

    QStringList leftovers() const
    {
        return QDir(env.dataRoot() + QStringLiteral("/tmp")).entryList(QDir::Files);
    }

private slots:
    void init()
    {
        env.prompts().clear();
        QDir(env.dataRoot() + QStringLiteral("/tmp")).removeRecursively();
        QDir().mkpath(env.dataRoot() + QStringLiteral("/tmp"));
    }

    void requestIsBigEndianWithLengthFirst()
    {
        unsigned char buffer[kRequestBufferSize];
        const quint32 payload[] = {4, 0};
        QCOMPARE(buildRequest(buffer, payload, 8, CMD_DOWNLOAD_DATA), 16);
        const QByteArray expected = be32(16) + be32(96) + be32(4) + be32(0);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(buffer), 16), expected);
    }

    void swappingLeavesTrailingBytesAlone()
    {
        unsigned char int16[] = {0x12, 0x34, 0x56, 0x78, 0x9A};
        swapBlockData(5, BlockType::Int16, int16);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(int16), 5), QByteArray("\x34\x12\x78\x56\x9A"));
        unsigned char words[] = {1, 2, 3, 4, 5, 6, 7};
        swapBlockData(7, BlockType::Float32, words);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(words), 7), QByteArray("\x04\x03\x02\x01\x05\x06\x07"));
        unsigned char text[] = {'A', 'B', 'C', 'D'};
        swapBlockData(4, BlockType::Bytes, text);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(text), 4), QByteArray("ABCD"));
    }

    void answerLengthsFollowTheBlockTables_data()
    {
        QTest::addColumn<quint32>("command");
        QTest::addColumn<quint32>("length");
        QTest::addColumn<int>("index");
        QTest::newRow("part numbers") << quint32(CMD_PN) << 320u << 0;
        QTest::newRow("bite") << quint32(CMD_STATUS_REQ) << 72u << 1;
        QTest::newRow("engine data") << quint32(CMD_DOWNLOAD_DATA) << 5874016u << 2;
        QTest::newRow("flight history") << quint32(CMD_GET_FLIGHT_HISTORY) << 52892u << 3;
        QTest::newRow("algorithm status") << quint32(CMD_GET_ALGORITHM_STATUS) << 26u << 4;
        QTest::newRow("erase") << quint32(CMD_ERASE_DATA) << 12u << 5;
        QTest::newRow("main software") << quint32(CMD_REPROG_PROG_MAIN) << 12u << 6;
        QTest::newRow("dsp software") << quint32(CMD_REPROG_PROG_DSP) << 12u << 7;
        QTest::newRow("dsp table") << quint32(CMD_REPROG_CONFIG_DSP) << 12u << 8;
    }
    void answerLengthsFollowTheBlockTables()
    {
        QFETCH(quint32, command);
        QFETCH(quint32, length);
        QFETCH(int, index);
        QCOMPARE(responseLength(command), length);
        QCOMPARE(GetCmdCodeArray(command), index);
    }

    void refusedAnswersAreReportedAndLeaveNothing_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<quint32>("length");
        QTest::addColumn<QString>("text");
        const QByteArray good = block(2, be32(7));
        QTest::newRow("length above limit") << message(0, good) << 0x1000000u
                                            << "Invalid message size received";
        QTest::newRow("shorter than a header") << be32(8) + be32(0) << 8u
                                               << "Invalid message size received";
        QTest::newRow("ack error") << message(1, good) << 20u << "Detected ACK error";
        const QByteArray third = good + good + block(4, be32(1));
        QTest::newRow("type 4 at block 3") << message(0, third) << quint32(12 + third.size())
                                           << "Invalid block type detected - block # 3";
        const QByteArray huge = block(0, QByteArray(4, 'x'), 0x1000000);
        QTest::newRow("byte count above limit") << message(0, huge) << quint32(12 + huge.size())
                                                << "Invalid byte count detected - block # 1";
    }
    void refusedAnswersAreReportedAndLeaveNothing()
    {
        QFETCH(QByteArray, raw);
        QFETCH(quint32, length);
        QFETCH(QString, text);
        QString output = QStringLiteral("stale");
        QCOMPARE(normalizeResponse(output, writeRaw(raw), length), -1);
        QVERIFY(output.isEmpty());
        QCOMPARE(env.prompts().onlyMessage(), QStringLiteral("UnsetRsp|") + text);
        QCOMPARE(env.prompts().calls.first().kind, Prompts::Kind::Critical);
        QCOMPARE(leftovers(), QStringList());
    }

    void unreadableRawCopyAndMissingTmpDirectory()
    {
        QString output;
        const QString missing = env.path() + QStringLiteral("/no-such-raw");
        QCOMPARE(normalizeResponse(output, missing, 12), -1);
        QCOMPARE(env.prompts().onlyMessage(), QStringLiteral("UnsetRsp|Cannot open input file: ") + missing);
        QCOMPARE(leftovers(), QStringList());

        env.prompts().clear();
        QDir(env.dataRoot() + QStringLiteral("/tmp")).removeRecursively();
        QCOMPARE(normalizeResponse(output, writeRaw(message(0, {})), 12), -1);
        QCOMPARE(env.prompts().onlyMessage(), QStringLiteral("UnsetRsp|Cannot create temporary file: No such file or directory"));
    }

    void headerOnlyAnswerGivesTwelveBytes()
    {
        QString output;
        QCOMPARE(normalizeResponse(output, writeRaw(message(0, {})), 12), 0);
        QVERIFY(output.startsWith(env.dataRoot() + QStringLiteral("/tmp/Tolm-Mirvak-")));
        QVERIFY(output.endsWith(QStringLiteral(".tmp")));
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), 12);
        QCOMPARE(le32(bytes, 0), 12u);
        QCOMPARE(env.prompts().calls.size(), 0);
    }

    void oddBlocksAreConvertedAsFarAsWholeElements()
    {
        const QByteArray blocks = block(1, QByteArray("\x00\x01\x00\x02\x7F", 5))
                                  + block(3, QByteArray("\x3F\x80\x00\x00\xAA\xBB", 6))
                                  + block(0, QByteArray("TEXT"));
        QString output;
        QCOMPARE(normalizeResponse(output, writeRaw(message(0, blocks)), 12 + blocks.size()), 0);
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), 12 + blocks.size());
        QCOMPARE(le32(bytes, 12), 1u);
        QCOMPARE(le32(bytes, 16), 5u);
        QCOMPARE(bytes.mid(20, 5), QByteArray("\x01\x00\x02\x00\x7F", 5));
        float one = 0;
        std::memcpy(&one, bytes.constData() + 33, 4);
        QCOMPARE(one, 1.0f);
        QCOMPARE(bytes.mid(37, 2), QByteArray("\xAA\xBB"));
        QCOMPARE(bytes.right(4), QByteArray("TEXT"));
    }

    // Whatever falls on the end of the normaliser's buffer (a block head, an
    // element), the file converts as if read in one piece.
    void largeAnswersConvertAsOnePiece_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<QString>("ending");
        for (quint32 seed = 1; seed <= 6; ++seed)
            QTest::addRow("whole, seed %u", seed) << seed << "whole";
        QTest::newRow("cut file") << 7u << "cut";
        QTest::newRow("length ends inside a block") << 8u << "short length";
        QTest::newRow("fragment after the last block") << 9u << "fragment";
    }
    void largeAnswersConvertAsOnePiece()
    {
        QFETCH(quint32, seed);
        QFETCH(QString, ending);
        const RandomAnswer answer = randomAnswer(seed, 700 * 1024);
        QByteArray raw = answer.raw;
        quint32 length = quint32(raw.size());
        QByteArray expected = answer.normalised;
        const qsizetype middle = answer.blockEnds[answer.blockEnds.size() / 2];
        if (ending == "cut") {  // inside the next block's head: its bytes stay as received
            raw.truncate(middle + 5);
            expected = expected.left(middle) + raw.mid(middle);
        } else if (ending == "short length") {  // the block under way is finished, no further one begun
            length = quint32(middle + 9);
            expected.truncate(answer.blockEnds[answer.blockEnds.size() / 2 + 1]);
        } else if (ending == "fragment") {
            raw += QByteArray("\x01\x02\x03\x04\x05", 5);
            length = quint32(raw.size());
            expected += raw.right(5);
        }
        QString output;
        QCOMPARE(normalizeResponse(output, writeRaw(raw), length), 0);
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), expected.size());
        QVERIFY(bytes == expected);
        QVERIFY(env.prompts().calls.isEmpty());
    }

    void engineDataAnswerKeepsItsLayout()
    {
        // The block count word says 173 while 3613 blocks follow; the length decides.
        ResponseBuilder builder;
        const QByteArray answer = builder.build(CMD_DOWNLOAD_DATA);
        QString output;
        QCOMPARE(normalizeResponse(output, writeRaw(answer), quint32(answer.size())), 0);
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), answer.size());
        QCOMPARE(le32(bytes, 8), 173u);
        QCOMPARE(le32(bytes, 20 + 4), 21u);  // data header: total flights
        // Record 1's flight word: data header block (52) + record 0, then its blocks 0 and 1.
        const int recordBytes = (answer.size() - 12 - 52) / 21;
        const int record1 = 12 + 52 + recordBytes;
        QCOMPARE(le32(bytes, record1 + 16 + 8), 1u);
    }
};

QTEST_GUILESS_MAIN(ProtocolTest)
#include "test_protocol.moc"
