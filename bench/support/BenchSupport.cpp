#include "BenchSupport.h"

#include "repository/PgConnection.h"
#include "repository/RepositorySchema.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <QSettings>
#include <algorithm>
#include <cstdlib>
#include <vector>
#include <cstdio>
#include <unistd.h>

Prompts::Button QuietPrompts::message(Kind kind, QObject*, const QString& title, const QString& text, Buttons,
                                      Button defaultButton)
{
    ++messages;
    if (kind == Kind::Critical || kind == Kind::Warning) {
        ++failures;
        lastFailure = title + QLatin1String(": ") + text;
        std::fprintf(stderr, "message: %s\n", qPrintable(lastFailure));
    }
    return defaultButton == NoButton ? Ok : defaultButton;
}

bool BenchHome::prepare(Prompts* prompts)
{
    if (!dir_.isValid()) {
        std::fprintf(stderr, "cannot create a temporary directory\n");
        return false;
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path() + QLatin1String("/settings"));
    installPrompts(prompts);
    return true;
}

MedianKeeper::MedianKeeper() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

void MedianKeeper::ReportRuns(const std::vector<Run>& reports)
{
    for (const Run& run : reports) {
        if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median" || run.error_occurred)
            continue;
        const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
        const std::string name = run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
        medians[name] = {run.GetAdjustedRealTime() / unit, run.GetAdjustedCPUTime() / unit};
    }
    ConsoleReporter::ReportRuns(reports);
}

double medianOf(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void runUnderThrowawayServer(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsEmpty("PGHOST"))
        return;
    std::vector<char*> arguments{const_cast<char*>("pg_virtualenv")};
    arguments.insert(arguments.end(), argv, argv + argc);
    arguments.push_back(nullptr);
    execvp("pg_virtualenv", arguments.data());
    std::perror("pg_virtualenv");
    std::exit(1);
}

namespace {

const char* const kGeneratedFleet[] = {
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
    "VACUUM ANALYZE",  // as autovacuum leaves a repository that has been in use
};

}  // namespace

bool fillGeneratedFleet(repository::PgConnection& connection)
{
    QElapsedTimer fill;
    fill.start();
    for (const char* statement : kGeneratedFleet)
        if (!connection.run(statement)) {
            std::fprintf(stderr, "%s\n", qPrintable(connection.failure()));
            return false;
        }
    const auto size = connection.exec("SELECT pg_database_size(current_database()), (SELECT count(*) FROM flight)");
    std::printf("filled in %.0f s: %lld flights, database %.2f GB\n", fill.elapsed() / 1000.0, size->number(0, 1),
                size->number(0, 0) / 1e9);
    return true;
}

bool openGeneratedFleet(repository::PgConnection& connection)
{
    if (!connection.open(QStringLiteral("dbname=postgres")) || !repository::migrate(connection).failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(connection.failure()));
        return false;
    }
    return QCoreApplication::arguments().contains(QStringLiteral("--filled")) || fillGeneratedFleet(connection);
}
