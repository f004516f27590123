// mirvak-sim as the ground station sees it: bytes on the wire.

#include "SimulatorProcess.h"
#include "link/Protocol.h"
#include "simulator/Crc32.h"
#include "simulator/ResponseBuilder.h"

#include <QTcpSocket>
#include <QtEndian>
#include <QtTest>

using namespace mirvak;

namespace {

QByteArray request(quint32 command, QList<quint32> payload = {0})
{
    QByteArray bytes(8 + 4 * payload.size(), 0);
    qToBigEndian<quint32>(quint32(bytes.size()), bytes.data());
    qToBigEndian<quint32>(command, bytes.data() + 4);
    for (int i = 0; i < payload.size(); ++i)
        qToBigEndian<quint32>(payload[i], bytes.data() + 8 + 4 * i);
    return bytes;
}

quint32 word(const QByteArray& b, int offset) { return qFromBigEndian<quint32>(b.constData() + offset); }
qint16 sample(const QByteArray& b, int offset) { return qFromBigEndian<qint16>(b.constData() + offset); }

// Flight slot k of an engine-data answer, after the message and data headers.
constexpr int kSlotBytes = 279712;
int slot(int k) { return 64 + k * kSlotBytes; }

// The flights of an engine-data answer: number, end of flight (date and time
// words) and mean A4R over the bins, of every slot with a flight.
struct AnswerFlights {
    QList<quint32> numbers;
    QList<quint32> ends;
    double meanA4R = 0;

    explicit AnswerFlights(const QByteArray& answer)
    {
        for (int k = 0; k < 21; ++k) {
            if (word(answer, slot(k) + 24) == 0)
                continue;
            numbers << word(answer, slot(k) + 24);
            ends << word(answer, slot(k) + 279696);
            for (int bin = 0; bin < 26; ++bin)
                meanA4R += qFromBigEndian<float>(answer.constData() + slot(k) + 56 + 4212 * bin + 28);
        }
        meanA4R /= 26.0 * qMax(1, int(numbers.size()));
    }
};

// Reads one complete answer, or what arrived before the time ran out.
QByteArray readAnswer(QTcpSocket& socket, int timeoutMs = 10000)
{
    QByteArray answer;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(100))
            continue;
        answer += socket.readAll();
        if (answer.size() >= 4 && answer.size() >= qsizetype(word(answer, 0)))
            break;
    }
    return answer;
}

QByteArray exchange(QTcpSocket& socket, const QByteArray& bytes)
{
    socket.write(bytes);
    return readAnswer(socket);
}

bool connectTo(QTcpSocket& socket, quint16 port)
{
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    return socket.waitForConnected(5000);
}

bool closedByPeer(QTcpSocket& socket)
{
    for (int i = 0; i < 50 && socket.state() == QAbstractSocket::ConnectedState; ++i)
        socket.waitForReadyRead(100);
    return socket.state() != QAbstractSocket::ConnectedState;
}

// Peak resident memory of a process, in kB, from /proc.
qint64 peakMemoryKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Splits a stream of answers without holding them: keeps the first bytes of each.
class AnswerStream {
public:
    QList<QByteArray> starts;  // up to 32 bytes of every complete answer, in order

    void feed(const QByteArray& bytes)
    {
        for (qsizetype pos = 0; pos < bytes.size();) {
            if (head_.size() < 4) {
                const qsizetype n = qMin(4 - head_.size(), bytes.size() - pos);
                head_ += bytes.mid(pos, n);
                pos += n;
                if (head_.size() == 4)
                    remaining_ = qMax<qint64>(0, qint64(word(head_, 0)) - 4);
                continue;
            }
            const qsizetype n = qsizetype(qMin<qint64>(remaining_, bytes.size() - pos));
            head_ += bytes.mid(pos, qMax<qsizetype>(0, qMin(n, 32 - head_.size())));
            pos += n;
            remaining_ -= n;
            if (remaining_ == 0) {
                starts << head_;
                head_.clear();
            }
        }
    }

private:
    QByteArray head_;
    qint64 remaining_ = 0;
};

}  // namespace

class SimulatorTest : public QObject {
    Q_OBJECT

private slots:
    void everyCommandIsAnsweredWithItsLayout_data()
    {
        QTest::addColumn<quint32>("command");
        QTest::addColumn<int>("size");
        QTest::addColumn<quint32>("blockCount");
        QTest::newRow("CMD_PN") << quint32(CMD_PN) << 320 << 8u;
        QTest::newRow("CMD_STATUS_REQ") << quint32(CMD_STATUS_REQ) << 72 << 3u;
        QTest::newRow("CMD_DOWNLOAD_DATA") << quint32(CMD_DOWNLOAD_DATA) << 5874016 << 173u;
        QTest::newRow("CMD_GET_FLIGHT_HISTORY") << quint32(CMD_GET_FLIGHT_HISTORY) << 52892 << 1038u;
        QTest::newRow("CMD_GET_ALGORITHM_STATUS") << quint32(CMD_GET_ALGORITHM_STATUS) << 26 << 1u;
        QTest::newRow("CMD_ERASE_DATA") << quint32(CMD_ERASE_DATA) << 12 << 0u;
        QTest::newRow("CMD_REPROG_PROG_MAIN") << quint32(CMD_REPROG_PROG_MAIN) << 12 << 0u;
        QTest::newRow("CMD_REPROG_PROG_DSP") << quint32(CMD_REPROG_PROG_DSP) << 12 << 0u;
        QTest::newRow("CMD_REPROG_CONFIG_DSP") << quint32(CMD_REPROG_CONFIG_DSP) << 12 << 0u;
    }
    void everyCommandIsAnsweredWithItsLayout()
    {
        QFETCH(quint32, command);
        QFETCH(int, size);
        QFETCH(quint32, blockCount);
        SimulatorProcess sim({QStringLiteral("--erase-delay-ms"), QStringLiteral("0"),
                              QStringLiteral("--reprog-delay-ms"), QStringLiteral("0")});
        QVERIFY(sim.port());
        QTcpSocket socket;
        QVERIFY(connectTo(socket, sim.port()));
        const QByteArray answer = exchange(socket, request(command));
        QCOMPARE(answer.size(), size);
        QCOMPARE(word(answer, 0), quint32(size));
        QCOMPARE(word(answer, 4), 0u);
        QCOMPARE(word(answer, 8), blockCount);
        QTRY_COMPARE(sim.commands(), QStringList{QString::fromLatin1(commandName(command))});
    }

    void identityAndTestResults()
    {
        SimulatorProcess sim;
        QTcpSocket socket;
        QVERIFY(connectTo(socket, sim.port()));
        const QByteArray pn = exchange(socket, request(CMD_PN));
        QCOMPARE(pn.mid(20, 15), QByteArray("ABCDEFGHIJKLMNO"));
        QCOMPARE(pn.mid(36, 7), QByteArray("QRSTUVW"));
        QCOMPARE(word(pn, 68), 0u);  // engine position code 0: engine 4

        const QByteArray bite = exchange(socket, request(CMD_STATUS_REQ, {1}));
        QList<quint32> values;
        for (int offset : {20, 24, 36, 40, 44, 56, 60, 64, 68})
            values << word(bite, offset);
        QCOMPARE(values, (QList<quint32>{0, 1, 0, 1, 2, 0, 1, 2, 3}));

        QList<int> states;
        for (int i = 0; i < 3; ++i) {
            const QByteArray status = exchange(socket, request(CMD_GET_ALGORITHM_STATUS));
            QCOMPARE(status.size(), 26);
            QCOMPARE(sample(status, 22), sample(status, 20));
            QCOMPARE(sample(status, 24), sample(status, 20));
            states << sample(status, 20);
        }
        QCOMPARE(states, (QList<int>{1, 2, 0}));
    }

    void engineDataContent()
    {
        SimulatorProcess sim;
        QTcpSocket socket;
        QVERIFY(connectTo(socket, sim.port()));
        const QByteArray data = exchange(socket, request(CMD_DOWNLOAD_DATA, {4, 0}));
        QCOMPARE(data.size(), 5874016);
        QList<quint32> header;
        for (int i = 0; i < 11; ++i)
            header << word(data, 20 + 4 * i);
        QCOMPARE(header, (QList<quint32>{0, 21, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

        const int recordBytes = (data.size() - 64) / 21;
        for (int k = 0; k < 21; ++k) {
            const int record = 64 + k * recordBytes;
            const int flightWords = record + 16 + 8;  // after the 8-byte text block
            QCOMPARE(word(data, flightWords), quint32(k));
            QCOMPARE(word(data, flightWords + 8), quint32(k >= 5 ? 1 : 0));
            // First signal block: after the flight words, bin word block and 88-byte float block.
            const int signal = flightWords + 12 + (8 + 4) + (8 + 88) + 8;
            QCOMPARE(sample(data, signal), qint16(0));
        }
        const int signal = 64 + 16 + 20 + 12 + 96 + 8;
        for (int j = 0; j < 2048; ++j)
            QCOMPARE(sample(data, signal + 2 * j), signalSample(j, 2048));
        QCOMPARE(crc32(data), 0xfad16ea6u);  // every byte as it always was
    }

    void variedEngineDataMovesOnAtEachErase_data()
    {
        QTest::addColumn<QString>("seed");
        QTest::newRow("seed 1") << QStringLiteral("1");
        QTest::newRow("largest seed") << QStringLiteral("18446744073709551615");
    }
    void variedEngineDataMovesOnAtEachErase()
    {
        QFETCH(QString, seed);
        QList<QByteArray> runs[2];
        for (QList<QByteArray>& answers : runs) {
            SimulatorProcess sim({QStringLiteral("--varied"), seed, QStringLiteral("--erase-delay-ms"), QStringLiteral("0")});
            QTcpSocket socket;
            QVERIFY(connectTo(socket, sim.port()));
            for (quint32 command : {CMD_DOWNLOAD_DATA, CMD_DOWNLOAD_DATA, CMD_ERASE_DATA, CMD_DOWNLOAD_DATA}) {
                const QByteArray answer = exchange(socket, request(command, {4, 0}));
                QCOMPARE(answer.size(), qsizetype(responseLength(command)));
                if (command == CMD_DOWNLOAD_DATA)
                    answers << answer;
            }
        }
        QVERIFY(runs[0] == runs[1]);  // same seed, same bytes
        const QList<QByteArray>& answers = runs[0];
        QVERIFY(answers[0] == answers[1]);  // nothing new without an erase

        const AnswerFlights before(answers[0]), after(answers[2]);
        QVERIFY(!before.numbers.isEmpty() && !after.numbers.isEmpty());
        QVERIFY(after.numbers.first() > before.numbers.last());
        QVERIFY(before.ends.first() > 0x00210000u);  // a date set, later than 2000.01.01
        QVERIFY(after.ends.first() > before.ends.last());
        QVERIFY2(after.meanA4R > before.meanA4R, qPrintable(QStringLiteral("%1 after %2").arg(after.meanA4R).arg(before.meanA4R)));
        for (int alarm = 5; alarm <= 10; ++alarm)
            QVERIFY(word(answers[2], 20 + 4 * alarm) <= 3);
    }

    void requestInTwoSegmentsIsAnsweredOnce()
    {
        SimulatorProcess sim;
        QTcpSocket socket;
        QVERIFY(connectTo(socket, sim.port()));
        const QByteArray bytes = request(CMD_PN);
        socket.write(bytes.left(8));
        socket.flush();
        QVERIFY(!socket.waitForReadyRead(300));
        socket.write(bytes.mid(8));
        QCOMPARE(readAnswer(socket).size(), 320);
        QVERIFY(!socket.waitForReadyRead(300));
        QTRY_COMPARE(sim.commands(), QStringList{QStringLiteral("CMD_PN")});
    }

    void clientThatDoesNotReadIsNotReadEither()
    {
        // The sanitizer's quarantine would keep every freed answer resident; keep it
        // small so the figure shows what the simulator itself holds.
        const QByteArray sanitizerOptions = qgetenv("ASAN_OPTIONS");
        qputenv("ASAN_OPTIONS", sanitizerOptions + ":quarantine_size_mb=16");
        SimulatorProcess sim;
        qputenv("ASAN_OPTIONS", sanitizerOptions);
        QVERIFY(sim.port());
        QTcpSocket socket;
        socket.setReadBufferSize(64 * 1024);  // what the client leaves unread stays with the kernel
        QVERIFY(connectTo(socket, sim.port()));

        constexpr int downloads = 40;
        const QList<quint32> commands =
            QList<quint32>(downloads, CMD_DOWNLOAD_DATA) + QList<quint32>(3, CMD_GET_ALGORITHM_STATUS);
        for (quint32 command : commands) {
            socket.write(request(command, {4, 0}));
            QVERIFY(socket.waitForBytesWritten(5000));
            QTest::qWait(20);  // one segment, one data-ready event, per request
        }
        // Let the simulator take what it will: until it stops, or has answered everything.
        QElapsedTimer settling;
        settling.start();
        for (qsizetype seen = -1; seen != sim.commands().size() && settling.elapsed() < 60000;) {
            seen = sim.commands().size();
            QTest::qWait(1500);
        }
        const qint64 peakKb = peakMemoryKb(sim.pid());
        QVERIFY2(peakKb > 0 && peakKb < 60 * 1024, qPrintable(QStringLiteral("peak %1 kB").arg(peakKb)));

        // Once the client reads, every answer arrives, in the order asked.
        socket.setReadBufferSize(0);
        AnswerStream stream;
        QElapsedTimer reading;
        reading.start();
        while (stream.starts.size() < commands.size() && reading.elapsed() < 120000)
            if (socket.bytesAvailable() > 0 || socket.waitForReadyRead(1000))
                stream.feed(socket.readAll());
        QCOMPARE(stream.starts.size(), commands.size());
        for (int i = 0; i < downloads; ++i)
            QCOMPARE(word(stream.starts[i], 0), quint32(5874016));
        QList<int> states;
        for (int i = downloads; i < commands.size(); ++i)
            states << sample(stream.starts[i], 20);
        QCOMPARE(states, (QList<int>{1, 2, 0}));
    }

    void misbehavingClientsDoNotStopTheServer_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("closes");
        QByteArray shortLength = request(CMD_PN);
        qToBigEndian<quint32>(4, shortLength.data());
        QByteArray longLength = request(CMD_PN);
        qToBigEndian<quint32>(16388, longLength.data());
        QTest::newRow("length below 8") << shortLength << true;
        QTest::newRow("length above 16384") << longLength << true;
        QTest::newRow("unknown command") << request(55) << false;
        QTest::newRow("gone mid-request") << request(CMD_PN, {0, 0, 0}).left(12) << false;
    }
    void misbehavingClientsDoNotStopTheServer()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, closes);
        SimulatorProcess sim;
        {
            QTcpSocket socket;
            QVERIFY(connectTo(socket, sim.port()));
            socket.write(bytes);
            socket.flush();
            if (closes) {
                QVERIFY(closedByPeer(socket));
            } else if (QTest::currentDataTag() == QByteArray("unknown command")) {
                const QByteArray answer = readAnswer(socket);
                QCOMPARE(answer.size(), 12);
                QCOMPARE(word(answer, 0), 12u);
                QCOMPARE(word(answer, 4), 1u);
            }
        }
        // The next client is served, and starts from a clean request.
        QTcpSocket next;
        QVERIFY(connectTo(next, sim.port()));
        QCOMPARE(exchange(next, request(CMD_PN)).size(), 320);
    }
};

QTEST_GUILESS_MAIN(SimulatorTest)
#include "test_simulator.moc"
