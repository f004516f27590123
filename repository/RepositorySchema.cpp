#include "repository/RepositorySchema.h"

#include "repository/PgConnection.h"

#include <optional>

namespace repository {
namespace {

// Migration n takes the schema from version n to n + 1.
const char* const kVersion1[] = {
    "CREATE TABLE station (id uuid PRIMARY KEY, created timestamptz NOT NULL DEFAULT now())",
    "CREATE TABLE station_name (station_id uuid NOT NULL REFERENCES station, named timestamptz NOT NULL"
    " DEFAULT clock_timestamp(), name text NOT NULL, PRIMARY KEY (station_id, named))",
    "CREATE TABLE engine (id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, engine_key text NOT NULL UNIQUE,"
    " serial text NOT NULL)",
    "CREATE TABLE download (id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, raw_sha256 bytea NOT NULL UNIQUE,"
    " station_id uuid NOT NULL REFERENCES station, engine_id bigint NOT NULL REFERENCES engine,"
    " raw_name text NOT NULL, raw_size bigint NOT NULL, created bigint NOT NULL, registration text NOT NULL,"
    " engine_position integer NOT NULL, unit_engine_serial text NOT NULL, alarm_codes integer[] NOT NULL,"
    " file_names text[] NOT NULL, pushed timestamptz NOT NULL DEFAULT now())",
    "CREATE INDEX download_engine ON download (engine_id, created)",
    "CREATE TABLE flight (download_id bigint NOT NULL REFERENCES download, slot integer NOT NULL,"
    " engine_id bigint NOT NULL REFERENCES engine, flight_number integer NOT NULL, second_word integer NOT NULL,"
    " memory_type integer NOT NULL, date_word integer NOT NULL, time_word integer NOT NULL,"
    " flight_values bytea NOT NULL, steady_sha256 bytea NOT NULL"
    " GENERATED ALWAYS AS (sha256(substring(flight_values for 2288))) STORED, PRIMARY KEY (download_id, slot))",
    // Flight order within an engine (flight end to the minute, flight
    // number): the overview walks an engine's latest flights backwards.
    "CREATE INDEX flight_engine ON flight (engine_id, date_word, (time_word >> 5), flight_number)",
    // 2.4 kB of values stay in the row: reading part of them costs no second lookup.
    "ALTER TABLE flight ALTER COLUMN flight_values SET STORAGE PLAIN",
    // Each engine's distinct flights, counted as they arrive. Stations may not
    // update, so the count is kept by the owner's trigger; the engine's row is
    // locked before its flights are looked up, so two pushes of copies of one
    // engine's flights wait for each other instead of deadlocking.
    "CREATE TABLE distinct_flight (engine_id bigint NOT NULL REFERENCES engine, date_word integer NOT NULL,"
    " time_word integer NOT NULL, flight_number integer NOT NULL, steady_sha256 bytea NOT NULL,"
    " PRIMARY KEY (engine_id, date_word, time_word, flight_number, steady_sha256))",
    "CREATE TABLE engine_flights (engine_id bigint PRIMARY KEY REFERENCES engine, flights bigint NOT NULL)",
    "CREATE FUNCTION count_distinct_flight() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER"
    " SET search_path FROM CURRENT AS $$ BEGIN"
    " INSERT INTO engine_flights VALUES (NEW.engine_id, 0)"
    " ON CONFLICT (engine_id) DO UPDATE SET flights = engine_flights.flights;"
    " INSERT INTO distinct_flight VALUES (NEW.engine_id, NEW.date_word, NEW.time_word, NEW.flight_number,"
    " NEW.steady_sha256) ON CONFLICT DO NOTHING;"
    " IF FOUND THEN UPDATE engine_flights SET flights = flights + 1 WHERE engine_id = NEW.engine_id; END IF;"
    " RETURN NULL; END $$",
    "REVOKE ALL ON FUNCTION count_distinct_flight() FROM PUBLIC",
    "CREATE TRIGGER flight_counted AFTER INSERT ON flight FOR EACH ROW EXECUTE FUNCTION count_distinct_flight()",
    // Raw files hardly compress: stored as they are, out of line.
    "CREATE TABLE download_file (download_id bigint NOT NULL REFERENCES download, name text NOT NULL,"
    " content bytea NOT NULL, PRIMARY KEY (download_id, name))",
    "ALTER TABLE download_file ALTER COLUMN content SET STORAGE EXTERNAL",
    "GRANT SELECT ON schema_version, station, station_name, engine, download, flight, download_file, distinct_flight,"
    " engine_flights TO tolm_station",
    "GRANT INSERT ON station, station_name, engine, download, flight, download_file TO tolm_station",
};

struct Step {
    const char* const* statements;
    int count;
};
const Step kMigrations[] = {{kVersion1, int(std::size(kVersion1))}};
static_assert(std::size(kMigrations) == kSchemaVersion);

const char kCreateRole[] =
    "DO $$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'tolm_station') THEN"
    " CREATE ROLE tolm_station NOLOGIN; END IF; END $$";

QString newerRefusal(int found)
{
    return QStringLiteral("The fleet repository's schema is version %1; this station knows version %2 at most. "
                          "Update Tolm on this station.")
        .arg(found)
        .arg(kSchemaVersion);
}

// The version the repository holds: 0 for none; nothing when it cannot be read.
std::optional<int> versionOf(PgConnection& connection)
{
    const auto table = connection.exec("SELECT to_regclass('schema_version') IS NOT NULL");
    if (!table)
        return std::nullopt;
    if (table->text(0, 0) != QLatin1String("t"))
        return 0;
    const auto version = connection.exec("SELECT coalesce(max(version), 0) FROM schema_version");
    return version ? std::optional<int>(int(version->number(0, 0))) : std::nullopt;
}

bool apply(PgConnection& connection, int from)
{
    for (int version = from; version < kSchemaVersion; ++version)
        for (int i = 0; i < kMigrations[version].count; ++i)
            if (!connection.run(kMigrations[version].statements[i]))
                return false;
    return connection.run("DELETE FROM schema_version")
           && connection.run("INSERT INTO schema_version VALUES ($1)", {PgParam::number(kSchemaVersion)});
}

}  // namespace

Migration migrate(PgConnection& connection)
{
    Migration migration;
    const auto fail = [&] {
        migration.failure = connection.failure();
        connection.run("ROLLBACK");
        return migration;
    };
    // One migration at a time: the table lock holds a second owner's run until this one ends.
    if (!connection.run("BEGIN") || !connection.run(kCreateRole)
        || !connection.run("CREATE TABLE IF NOT EXISTS schema_version (version integer NOT NULL)")
        || !connection.run("LOCK TABLE schema_version"))
        return fail();
    const std::optional<int> found = versionOf(connection);
    if (!found)
        return fail();
    migration.from = migration.to = *found;
    if (*found > kSchemaVersion) {
        connection.run("ROLLBACK");
        migration.failure = newerRefusal(*found);
        return migration;
    }
    if (!apply(connection, *found) || !connection.run("COMMIT"))
        return fail();
    migration.to = kSchemaVersion;
    return migration;
}

QString schemaRefusal(PgConnection& connection)
{
    const std::optional<int> found = versionOf(connection);
    if (!found && connection.failure().startsWith(QLatin1String("ERROR:  permission denied")))
        return connection.failure() + QStringLiteral("; the administrator grants tolm_station to this station's "
                                                     "login role.");
    if (!found)
        return connection.failure();
    if (*found == 0)
        return QStringLiteral("The fleet repository has no tables yet; its owner runs tolm-cli repository migrate.");
    if (*found > kSchemaVersion)
        return newerRefusal(*found);
    if (*found < kSchemaVersion)
        return QStringLiteral("The fleet repository's schema is version %1, older than this station's %2; its "
                              "owner runs tolm-cli repository migrate.")
            .arg(*found)
            .arg(kSchemaVersion);
    return {};
}

}  // namespace repository
