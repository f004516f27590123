#pragma once
// One connection to the fleet repository, on libpq. Every wait on the
// network is the connection's own (libpq non-blocking, a poll on its socket),
// so nothing hangs: when no byte moves either way for the silence limit, or
// cancel() is called from another thread, the socket is shut and the
// statement fails with a message that says which. The server rolls back the
// open transaction of a connection it loses. libpq's keepalives and
// tcp_user_timeout are set as well, unless the connection string sets them.

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <optional>
#include <utility>

struct pg_conn;
struct pg_result;

namespace repository {

// How long nothing may move on the connection before it is given up. The
// environment's TOLM_REPOSITORY_SILENCE_MS sets another (tests shorten it).
constexpr int kSilenceLimitMs = 30000;
int silenceLimitMs();

// Why a connection string is refused before it is used: it holds a password
// (they belong in the password file or a service file), or libpq cannot read
// it. Empty when it may be used.
QString connectionStringRefusal(const QString& conninfo);

// A statement's parameter: text, or bytes sent as they are (bytea).
struct PgParam {
    QByteArray value;
    bool binary = false;
    bool null = false;

    static PgParam text(const QString& text) { return {text.toUtf8()}; }
    static PgParam number(qint64 number) { return {QByteArray::number(number)}; }
    static PgParam bytes(const QByteArray& bytes) { return {bytes, true}; }
};

// The rows of a statement, in text or binary form (PgConnection::execBinary):
// each reader takes either.
class PgResult {
public:
    explicit PgResult(pg_result* result) : result_(result) {}
    PgResult(PgResult&& other) noexcept : result_(std::exchange(other.result_, nullptr)) {}
    PgResult& operator=(PgResult&&) = delete;
    ~PgResult();

    int rows() const;
    bool isNull(int row, int column) const;
    QString text(int row, int column) const;
    // A whole number (binary form: smallint, integer or bigint).
    qint64 number(int row, int column) const;
    // A bytea column as its bytes.
    QByteArray bytes(int row, int column) const;

private:
    const char* raw(int row, int column) const;
    int length(int row, int column) const;
    bool isBinary(int column) const;
    pg_result* result_;
};

class PgConnection {
public:
    explicit PgConnection(int silenceMs = silenceLimitMs()) : silenceMs_(silenceMs) {}
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Connects (again); false with failure() telling why not. A password kept
    // for this session (SessionPassword.h) goes with it, in memory only.
    bool open(const QString& conninfo);
    bool isOpen() const { return conn_ != nullptr; }
    // Why the connection or the last statement failed.
    QString failure() const { return failure_; }
    // Whether the last open() failed because the server asked for a password
    // that neither libpq's files nor the session held.
    bool needsPassword() const { return needsPassword_; }

    // Runs one statement with its parameters ($1, $2, ...). Nothing on
    // failure; the connection stays usable after the server refused a
    // statement, not after the network failed.
    std::optional<PgResult> exec(const char* statement, const QList<PgParam>& params = {});
    // exec() with the rows in binary form: bytea as its bytes and numbers in
    // network byte order, less for the server to write and for us to read.
    std::optional<PgResult> execBinary(const char* statement, const QList<PgParam>& params = {});
    // exec() without rows; false on failure.
    bool run(const char* statement, const QList<PgParam>& params = {});

    // Thread-safe: the statement that runs (or the next) fails at once.
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }

private:
    bool connectTo(const QString& conninfo);
    std::optional<PgResult> execIn(const char* statement, const QList<PgParam>& params, int resultFormat);
    bool send();
    pg_result* receive();
    // Waits until the socket can be read (or written); false when the
    // connection was given up.
    bool waitForSocket(bool write);
    void giveUp(const QString& why);

    pg_conn* conn_ = nullptr;
    int silenceMs_;
    QString failure_;
    bool needsPassword_ = false;
    std::atomic<bool> cancelled_{false};
};

}  // namespace repository
