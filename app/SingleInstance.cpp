#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

SingleInstance::SingleInstance(const QString& key, QObject* parent)
    : QObject(parent), key_(key), lock_(QDir::temp().filePath(key + QStringLiteral(".lock")))
{
    lock_.setStaleLockTime(0);  // a lock left by a crashed run is detected by its process id
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::anotherIsRunning()
{
    if (!lock_.tryLock(0)) {
        QLocalSocket knock;
        knock.connectToServer(key_);
        knock.waitForConnected(1000);
        return true;
    }
    server_ = std::make_unique<QLocalServer>();
    QLocalServer::removeServer(key_);  // a socket left by a crashed run
    server_->listen(key_);
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::activateWindow);
    return false;
}

void SingleInstance::activateWindow()
{
    while (QLocalSocket* knock = server_->nextPendingConnection())
        knock->deleteLater();
    if (!window_)
        return;
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->show();
    window_->raise();
    window_->activateWindow();
}
