#include "repository/PgConnection.h"

#include "repository/SessionPassword.h"

#include <QElapsedTimer>
#include <QtEndian>
#include <libpq-fe.h>
#include <poll.h>
#include <sys/socket.h>
#include <vector>

namespace repository {
namespace {

constexpr int kPollSliceMs = 100;  // how soon a cancel is seen

QString libpqText(const char* message) { return QString::fromUtf8(message).trimmed(); }

bool failed(const pg_result* result)
{
    const ExecStatusType status = PQresultStatus(result);
    return result && status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK;
}

// libpq's own options of the connection string, its own failures as a text.
struct ParsedOptions {
    std::vector<std::pair<QByteArray, QByteArray>> options;
    QString failure;
};

ParsedOptions parse(const QString& conninfo)
{
    ParsedOptions parsed;
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.toUtf8().constData(), &error);
    if (!options) {
        parsed.failure = error ? libpqText(error) : QStringLiteral("out of memory");
        PQfreemem(error);
        return parsed;
    }
    for (PQconninfoOption* option = options; option->keyword; ++option)
        if (option->val)
            parsed.options.emplace_back(option->keyword, option->val);
    PQconninfoFree(options);
    return parsed;
}

bool holds(const ParsedOptions& parsed, const char* keyword)
{
    for (const auto& [key, value] : parsed.options)
        if (key == keyword)
            return true;
    return false;
}

}  // namespace

int silenceLimitMs()
{
    bool ok = false;
    const int limit = qEnvironmentVariableIntValue("TOLM_REPOSITORY_SILENCE_MS", &ok);
    return ok && limit > 0 ? limit : kSilenceLimitMs;
}

QString connectionStringRefusal(const QString& conninfo)
{
    const ParsedOptions parsed = parse(conninfo);
    if (!parsed.failure.isEmpty())
        return QStringLiteral("The connection string cannot be read: ") + parsed.failure;
    if (holds(parsed, "password"))
        return QStringLiteral("The connection string holds a password; put it in libpq's password file "
                              "(~/.pgpass) or a service file instead.");
    return {};
}

PgResult::~PgResult() { PQclear(result_); }

int PgResult::rows() const { return PQntuples(result_); }
bool PgResult::isNull(int row, int column) const { return PQgetisnull(result_, row, column); }
const char* PgResult::raw(int row, int column) const { return PQgetvalue(result_, row, column); }
int PgResult::length(int row, int column) const { return PQgetlength(result_, row, column); }
bool PgResult::isBinary(int column) const { return PQfformat(result_, column) == 1; }
QString PgResult::text(int row, int column) const { return QString::fromUtf8(raw(row, column), length(row, column)); }

qint64 PgResult::number(int row, int column) const
{
    const char* value = raw(row, column);
    if (!isBinary(column))
        return QByteArray(value).toLongLong();
    switch (length(row, column)) {
    case 2:
        return qFromBigEndian<qint16>(value);
    case 4:
        return qFromBigEndian<qint32>(value);
    case 8:
        return qFromBigEndian<qint64>(value);
    default:
        return 0;
    }
}

QByteArray PgResult::bytes(int row, int column) const
{
    if (isBinary(column))
        return QByteArray(raw(row, column), length(row, column));
    const char* hex = raw(row, column);  // "\x0a1b..."
    const int length = this->length(row, column);
    if (length < 2)
        return {};
    // The server writes two lower-case digits per byte; QByteArray::fromHex is several times slower.
    const auto digit = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    QByteArray bytes((length - 2) / 2, Qt::Uninitialized);
    char* out = bytes.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = char(digit(hex[2 + 2 * i]) << 4 | digit(hex[3 + 2 * i]));
    return bytes;
}

bool PgConnection::open(const QString& conninfo)
{
    PQfinish(conn_);
    conn_ = nullptr;
    failure_.clear();
    needsPassword_ = false;
    if (connectTo(conninfo))
        return true;
    // A password typed earlier in this session that the server refused needs another.
    needsPassword_ = conn_ && (PQconnectionNeedsPassword(conn_)
                               || (PQconnectionUsedPassword(conn_) && !sessionPassword(conninfo).isEmpty()));
    PQfinish(conn_);
    conn_ = nullptr;
    return false;
}

PgConnection::~PgConnection() { PQfinish(conn_); }

// The string's own options, and the keepalives and time-outs that let a dead
// network be noticed, where the string does not set them.
bool PgConnection::connectTo(const QString& conninfo)
{
    ParsedOptions parsed = parse(conninfo);
    if (!parsed.failure.isEmpty()) {
        failure_ = parsed.failure;
        return false;
    }
    const QByteArray silenceSeconds = QByteArray::number(qMax(2, silenceMs_ / 1000));
    const std::pair<const char*, QByteArray> defaults[] = {
        {"keepalives", "1"}, {"keepalives_idle", "10"}, {"keepalives_interval", "5"}, {"keepalives_count", "3"},
        {"tcp_user_timeout", QByteArray::number(silenceMs_)}, {"connect_timeout", silenceSeconds},
        {"application_name", "tolm"}};
    for (const auto& [keyword, value] : defaults)
        if (!holds(parsed, keyword))
            parsed.options.emplace_back(keyword, value);
    if (const QString password = sessionPassword(conninfo); !password.isEmpty() && !holds(parsed, "password"))
        parsed.options.emplace_back("password", password.toUtf8());
    std::vector<const char*> keywords, values;
    for (const auto& [key, value] : parsed.options) {
        keywords.push_back(key.constData());
        values.push_back(value.constData());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);

    conn_ = PQconnectStartParams(keywords.data(), values.data(), 0);
    if (!conn_ || PQstatus(conn_) == CONNECTION_BAD) {
        failure_ = conn_ ? libpqText(PQerrorMessage(conn_)) : QStringLiteral("out of memory");
        return false;
    }
    // The server's notices ("already exists, skipping") are no news to the person.
    PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);
    for (PostgresPollingStatusType state = PGRES_POLLING_WRITING;;) {
        if (state == PGRES_POLLING_OK)
            return PQsetnonblocking(conn_, 1) == 0;
        if (state == PGRES_POLLING_FAILED) {
            failure_ = libpqText(PQerrorMessage(conn_));
            return false;
        }
        if (!waitForSocket(state == PGRES_POLLING_WRITING))
            return false;
        state = PQconnectPoll(conn_);
    }
}

std::optional<PgResult> PgConnection::exec(const char* statement, const QList<PgParam>& params)
{
    return execIn(statement, params, 0);
}

std::optional<PgResult> PgConnection::execBinary(const char* statement, const QList<PgParam>& params)
{
    return execIn(statement, params, 1);
}

std::optional<PgResult> PgConnection::execIn(const char* statement, const QList<PgParam>& params, int resultFormat)
{
    if (!conn_)
        return std::nullopt;
    std::vector<const char*> values;
    std::vector<int> lengths, formats;
    for (const PgParam& param : params) {
        values.push_back(param.null ? nullptr : param.value.constData());
        lengths.push_back(int(param.value.size()));
        formats.push_back(param.binary ? 1 : 0);
    }
    if (!PQsendQueryParams(conn_, statement, int(params.size()), nullptr, values.data(), lengths.data(),
                           formats.data(), resultFormat)) {
        giveUp(libpqText(PQerrorMessage(conn_)));
        return std::nullopt;
    }
    if (!send())
        return std::nullopt;
    pg_result* result = receive();
    if (!result)
        return std::nullopt;
    if (failed(result)) {
        failure_ = libpqText(PQresultErrorMessage(result));
        PQclear(result);
        return std::nullopt;
    }
    return PgResult(result);
}

bool PgConnection::run(const char* statement, const QList<PgParam>& params)
{
    return exec(statement, params).has_value();
}

bool PgConnection::send()
{
    for (;;) {
        const int pending = PQflush(conn_);
        if (pending == 0)
            return true;
        if (pending < 0) {
            giveUp(libpqText(PQerrorMessage(conn_)));
            return false;
        }
        if (!waitForSocket(true))
            return false;
        if (!PQconsumeInput(conn_)) {
            giveUp(libpqText(PQerrorMessage(conn_)));
            return false;
        }
    }
}

// The statement's result: its first failure, else its last result.
pg_result* PgConnection::receive()
{
    pg_result* kept = nullptr;
    for (;;) {
        while (!PQisBusy(conn_)) {
            pg_result* result = PQgetResult(conn_);
            if (!result)
                return kept;
            if (failed(kept)) {
                PQclear(result);
                continue;
            }
            PQclear(kept);
            kept = result;
        }
        if (!waitForSocket(false) || !PQconsumeInput(conn_)) {
            if (conn_)
                giveUp(libpqText(PQerrorMessage(conn_)));
            PQclear(kept);
            return nullptr;
        }
    }
}

bool PgConnection::waitForSocket(bool write)
{
    QElapsedTimer quiet;
    quiet.start();
    for (;;) {
        if (cancelled_) {
            giveUp(QStringLiteral("Cancelled."));
            return false;
        }
        pollfd socket{PQsocket(conn_), short(POLLIN | (write ? POLLOUT : 0)), 0};
        const int ready = ::poll(&socket, 1, kPollSliceMs);
        if (ready > 0)
            return true;
        if (quiet.elapsed() >= silenceMs_) {
            giveUp(QStringLiteral("The fleet repository did not answer for %1 s; the connection was closed.")
                       .arg(silenceMs_ / 1000.0));
            return false;
        }
    }
}

// Shuts the socket first: closing a connection that cannot send would otherwise wait on its farewell.
void PgConnection::giveUp(const QString& why)
{
    if (!conn_)
        return;
    failure_ = why;
    if (PQsocket(conn_) >= 0)
        ::shutdown(PQsocket(conn_), SHUT_RDWR);
    PQfinish(conn_);
    conn_ = nullptr;
}

}  // namespace repository
