// An engine's trend read from a fleet repository of 1 000 000 flights of
// 5 000 engines (50 000 downloads of 20 flights, rows made by the server with
// generate_series, values random so that nothing compresses): the query and
// the trend built from it, median of 11 runs. Started without a server, it
// runs itself under pg_virtualenv; it prints the disk the database takes.
// With --filled it measures a repository the bench filled before (a server
// kept running, PGHOST and the others set), so runs can be repeated.

#include "BenchSupport.h"
#include "repository/PgConnection.h"
#include "repository/RepositoryFlights.h"
#include "trend/TrendSeries.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char* argv[])
{
    runUnderThrowawayServer(argc, argv);
    QCoreApplication app(argc, argv);
    repository::PgConnection connection(3600 * 1000);  // the fill runs for minutes
    if (!openGeneratedFleet(connection))
        return 1;

    trend::TrendChoice choice;
    choice.bin = 1;
    QList<double> query, total;
    int points = 0;
    for (int run = 0; run < 11; ++run) {
        const QString engine = QStringLiteral("E") + QString::number(1 + run * 450);
        QElapsedTimer timer;
        timer.start();
        const repository::FleetFlights read = repository::fleetFlights(connection, engine);
        query << timer.nsecsElapsed() / 1e6;
        points = int(trend::engineTrend(read.flights, engine, choice).points.size());
        total << timer.nsecsElapsed() / 1e6;
        if (!read.failure.isEmpty() || read.flights.size() != 200) {
            std::fprintf(stderr, "%s (%d flights)\n", qPrintable(read.failure), int(read.flights.size()));
            return 1;
        }
    }
    std::printf("trend of one engine (200 flights, %d points): query %.1f ms, with the trend %.1f ms (goal <= 100 ms)\n",
                points, medianOf(query), medianOf(total));
    return 0;
}
