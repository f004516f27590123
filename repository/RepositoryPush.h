#pragma once
// Pushes the downloads of the local data tree that the fleet repository does
// not hold (known by the raw file's SHA-256), each in one transaction, on a
// worker thread; local files are only read. A download another station
// pushed meanwhile is found stored and counts as held. A failed or cancelled
// download's transaction is rolled back, so nothing is half stored, and the
// next push sends it again.
//
//   start() -> [worker: hash files, connect, check schema, ask what is held,
//               push each missing download] -> finished()
//   cancel() shuts the connection; progressed() tells downloads and bytes.

#include "repository/PgConnection.h"
#include "repository/Station.h"

#include <QObject>
#include <QStringList>
#include <memory>

class QThread;

namespace repository {

struct PushOutcome {
    int sent = 0;
    int held = 0;  // already in the repository
    qint64 bytesSent = 0;
    QStringList refused;  // "<path>: why" of raw files that cannot be pushed
    QString failure;  // why the push stopped; empty when it went through
    bool cancelled = false;
    bool needsPassword = false;  // the server asked for a password nobody gave

    // "Sent 3 downloads (17.7 MB); 2 already in the fleet repository."
    QString summary() const;
};

class RepositoryPush : public QObject {
    Q_OBJECT
public:
    RepositoryPush(const QString& conninfo, const QString& dataRoot, const Station& station,
                   QObject* parent = nullptr);
    ~RepositoryPush() override;  // cancels and waits for the worker

    void start();
    void cancel() { connection_.cancel(); }
    bool isFinished() const { return finished_; }
    // Once finished.
    const PushOutcome& outcome() const { return outcome_; }

signals:
    void progressed(int downloadsDone, int downloads, qint64 bytesDone, qint64 bytes);
    void finished();

private:
    PushOutcome run();

    QString conninfo_;
    QString dataRoot_;
    Station station_;
    PgConnection connection_;
    std::unique_ptr<QThread> worker_;
    PushOutcome outcome_;
    bool finished_ = false;
};

}  // namespace repository
