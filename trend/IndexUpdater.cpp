#include "trend/IndexUpdater.h"

#include <QEventLoop>
#include <QThread>

IndexUpdater::IndexUpdater(const QString& dataRoot, const QString& databasePath, QObject* parent)
    : QObject(parent), dataRoot_(dataRoot), databasePath_(databasePath)
{
}

IndexUpdater::~IndexUpdater()
{
    cancel();
    if (thread_)
        thread_->wait();
}

IndexChanges IndexUpdater::updateWhileLive(const QString& dataRoot, const QString& databasePath)
{
    IndexUpdater updater(dataRoot, databasePath);
    QEventLoop waiting;
    connect(&updater, &IndexUpdater::finished, &waiting, &QEventLoop::quit);
    updater.start();
    waiting.exec(QEventLoop::ExcludeUserInputEvents);
    return updater.changes();
}

void IndexUpdater::start()
{
    if (running_)
        return;
    if (thread_)
        thread_->wait();
    running_ = true;
    cancelled_ = false;
    thread_.reset(QThread::create([this] { run(); }));
    thread_->start();
}

void IndexUpdater::cancel() { cancelled_ = true; }

// On the update's own thread: the index's connection lives and dies there.
void IndexUpdater::run()
{
    IndexChanges changes;
    {
        FlightIndex index(databasePath_);
        UpdateWatch watch{[this](int done, int total) { reportProgress(done, total); }, &cancelled_};
        changes = index.update(dataRoot_, false, watch);
    }
    QMetaObject::invokeMethod(this, [this, changes] {
        running_ = false;
        changes_ = changes;
        emit finished(changes_);
    }, Qt::QueuedConnection);
}

// A window that repaints slower than files are read sees the latest figures, never a backlog.
void IndexUpdater::reportProgress(int done, int total)
{
    lastProgress_ = qint64(done) << 32 | quint32(total);
    if (progressQueued_.exchange(true))
        return;
    QMetaObject::invokeMethod(this, [this] {
        progressQueued_ = false;
        const qint64 latest = lastProgress_;
        emit progress(int(latest >> 32), int(latest & 0xffffffff));
    }, Qt::QueuedConnection);
}
