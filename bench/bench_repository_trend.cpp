// An engine's trend read from a fleet repository of 1 000 000 flights of
// 5 000 engines (50 000 downloads of 20 flights, rows made by the server with
// generate_series, values random so that nothing compresses): the query and
// the trend built from it, median of 11 runs. Started without a server, it
// runs itself under pg_virtualenv; it prints the disk the database takes.

#include "BenchSupport.h"
#include "repository/PgConnection.h"
#include "repository/RepositoryFlights.h"
#include "repository/RepositorySchema.h"
#include "trend/TrendSeries.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

const char* const kFill[] = {
    "CREATE EXTENSION IF NOT EXISTS pgcrypto",
    "INSERT INTO station (id) VALUES ('00000000-0000-4000-8000-000000000001')",
    "INSERT INTO station_name (station_id, name) VALUES ('00000000-0000-4000-8000-000000000001', 'bench')",
    "INSERT INTO engine (engine_key, serial) SELECT 'E' || e, 'E' || e FROM generate_series(1, 5000) e",
    "INSERT INTO download (raw_sha256, station_id, engine_id, raw_name, raw_size, created, registration,"
    " engine_position, unit_engine_serial, alarm_codes, file_names)"
    " SELECT sha256(('d' || e || '-' || k)::bytea), '00000000-0000-4000-8000-000000000001', e,"
    " 'ESNE' || e || '-fd-2026' || lpad(k::text, 4, '0') || '-0000.raw', 5842756, 1700000000 + k * 86400,"
    " 'F-' || (e % 1000), 1 + e % 4, '', '{0,0,0,0,0,0}', '{}'::text[]"
    " FROM generate_series(1, 5000) e, generate_series(1, 10) k",
    "INSERT INTO flight (download_id, slot, engine_id, flight_number, second_word, memory_type, date_word,"
    " time_word, flight_values)"
    " SELECT d.id, s, d.engine_id, (d.created - 1700000000) / 86400 * 20 + s + 1, 0, 0,"
    " (26 << 9) | ((1 + (d.created / 86400) % 12) << 5) | (1 + s), (s % 24) << 11,"
    " substring(gen_random_bytes(1024) || gen_random_bytes(1024) || gen_random_bytes(1024) for 2448)"
    " FROM download d, generate_series(0, 19) s",
    "ANALYZE",
};

}  // namespace

int main(int argc, char* argv[])
{
    runUnderThrowawayServer(argc, argv);
    QCoreApplication app(argc, argv);
    repository::PgConnection connection(3600 * 1000);  // the fill runs for minutes
    if (!connection.open(QStringLiteral("dbname=postgres")) || !repository::migrate(connection).failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(connection.failure()));
        return 1;
    }
    QElapsedTimer fill;
    fill.start();
    for (const char* statement : kFill)
        if (!connection.run(statement)) {
            std::fprintf(stderr, "%s\n", qPrintable(connection.failure()));
            return 1;
        }
    const auto size = connection.exec("SELECT pg_database_size(current_database()), (SELECT count(*) FROM flight)");
    std::printf("filled in %.0f s: %lld flights, database %.2f GB\n", fill.elapsed() / 1000.0, size->number(0, 1),
                size->number(0, 0) / 1e9);

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
