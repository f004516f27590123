#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <QtConcurrent>
#include <functional>

// Runs a window's reads of the stored fleet repository on a worker thread and
// hands the answer to the window's thread. Only the latest read's answer is
// handed on: one started before another is dropped, so a slow answer never
// overwrites a newer choice. When the server asks for a password that libpq's
// files lack, the person is asked and the read tried again. Nothing is handed
// to a window that closed meanwhile (the reader is its child).
class RepositoryReader : public QObject {
public:
    explicit RepositoryReader(QWidget* owner) : QObject(owner), owner_(owner) {}

    // `job` runs on a worker thread with the stored connection string; its
    // answer has a failure text and a needsPassword flag.
    template <typename Answer>
    void read(std::function<Answer(const QString& conninfo)> job, std::function<void(const Answer&)> done)
    {
        const quint64 id = ++latest_;
        const QString conninfo = storedConnection();
        if (conninfo.trimmed().isEmpty()) {
            Answer none;
            none.failure = noRepositoryText();
            done(none);
            return;
        }
        auto* watcher = new QFutureWatcher<Answer>(this);
        connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, id, conninfo, job, done] {
            watcher->deleteLater();
            if (id != latest_)
                return;  // a newer read was asked for
            const Answer answer = watcher->result();
            if (answer.needsPassword && askPassword(conninfo, answer.failure)) {
                read(job, done);
                return;
            }
            done(answer);
        });
        watcher->setFuture(QtConcurrent::run(job, conninfo));
    }

private:
    static QString storedConnection();
    static QString noRepositoryText();
    // False when the person gave none or the reader went away meanwhile.
    bool askPassword(const QString& conninfo, const QString& reason);

    QWidget* owner_;
    quint64 latest_ = 0;
};
