#pragma once
// Tries a fleet repository connection string as the settings page's "Test
// connection" does: connects (with the session's password, if any), asks
// the server who it is and checks the schema this station knows.

#include <QString>

namespace repository {

struct ConnectionCheck {
    QString answer;  // the server's own words, on success
    QString failure;  // libpq's or the schema's reason, otherwise
    bool needsPassword = false;  // the server asked for a password nobody gave
};

ConnectionCheck checkConnection(const QString& conninfo);

}  // namespace repository
