#pragma once
// Brings the flight index up to date on a thread of its own, so a window
// stays live while new raw files are read: it tells how many of the files to
// read are done, and what changed when it is finished. Destroying it (or
// cancel()) stops the update; a stopped update writes nothing.

#include "trend/FlightIndex.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

class QThread;

class IndexUpdater : public QObject {
    Q_OBJECT
public:
    IndexUpdater(const QString& dataRoot, const QString& databasePath, QObject* parent = nullptr);
    ~IndexUpdater() override;

    // Runs an update to its end on its own thread while this thread's events
    // go on, all but the person's input: the windows repaint, timers and
    // sockets run, a click waits until the update is done.
    static IndexChanges updateWhileLive(const QString& dataRoot, const QString& databasePath);

    void start();
    void cancel();
    bool isRunning() const { return running_; }
    // What the last finished update changed.
    const IndexChanges& changes() const { return changes_; }

signals:
    // Files read of those to read; at most one report waits in the event queue at a time.
    void progress(int done, int total);
    void finished(const IndexChanges& changes);

private:
    void run();
    void reportProgress(int done, int total);

    const QString dataRoot_;
    const QString databasePath_;
    std::unique_ptr<QThread> thread_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> progressQueued_{false};
    std::atomic<qint64> lastProgress_{0};  // done << 32 | total
    bool running_ = false;
    IndexChanges changes_;
};
