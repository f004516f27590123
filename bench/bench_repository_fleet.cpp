// The fleet overview of a repository of 1 000 000 flights of 5 000 engines
// (50 000 downloads of 20 flights, rows made by the server with
// generate_series, values random so that nothing compresses): every engine's
// row with the change of an indicator, median of 5 runs. Started without a
// server, it runs itself under pg_virtualenv; it prints the disk the database
// takes. With --filled it measures a repository the bench filled before (a
// server kept running, PGHOST and the others set), so runs can be repeated.

#include "BenchSupport.h"
#include "repository/PgConnection.h"
#include "repository/RepositoryFleet.h"

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

    QList<double> times;
    for (int run = 0; run < 5; ++run) {
        trend::TrendChoice indicator;
        indicator.parameter = run;
        QElapsedTimer timer;
        timer.start();
        const repository::FleetOverviewRead read = repository::fleetOverview(connection, indicator);
        times << timer.nsecsElapsed() / 1e6;
        if (!read.failure.isEmpty() || read.rows.size() != 5000 || !read.rows.first().changePercent) {
            std::fprintf(stderr, "%s (%d rows)\n", qPrintable(read.failure), int(read.rows.size()));
            return 1;
        }
    }
    std::printf("fleet overview of 5000 engines: %.0f ms (goal <= 1000 ms)\n", medianOf(times));
    return 0;
}
