#include "repository/ui/FleetReader.h"

#include "core/Settings.h"
#include "repository/FleetRead.h"
#include "repository/ui/RepositoryLogin.h"

#include <QFutureWatcher>
#include <QWidget>
#include <QtConcurrent>

void readFleetFlights(QWidget* owner, std::function<void(const repository::FleetFlights&)> done)
{
    const QString conninfo = settings::text(settings::RepositoryConnection);
    if (conninfo.trimmed().isEmpty()) {
        repository::FleetFlights none;
        none.failure = QStringLiteral("No fleet repository is set: enter its connection on the \"Fleet repository\" "
                                      "page of Tools > Settings.");
        done(none);
        return;
    }
    auto* watcher = new QFutureWatcher<repository::FleetRead>(owner);
    QObject::connect(watcher, &QFutureWatcherBase::finished, owner, [owner, watcher, conninfo, done] {
        watcher->deleteLater();
        const repository::FleetRead read = watcher->result();
        if (read.needsPassword && askRepositoryPassword(owner, conninfo, read.fleet.failure))
            readFleetFlights(owner, done);
        else
            done(read.fleet);
    });
    watcher->setFuture(QtConcurrent::run([conninfo] { return repository::readFleet(conninfo); }));
}
