#pragma once
// Keeps one running copy of the program per user: the first holds a lock file
// and listens on a local socket; a later start finds the lock, knocks on the
// socket so the first raises its window, and ends.

#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QLocalServer;
class QWidget;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when another instance holds the lock (it has been asked to show itself).
    bool anotherIsRunning();
    // The window raised when a later start knocks.
    void setActivationWindow(QWidget* window) { window_ = window; }

private:
    void activateWindow();

    QString key_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
    QPointer<QWidget> window_;
};
