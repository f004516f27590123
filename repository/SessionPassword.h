#pragma once
// Passwords the person typed in the window for a fleet repository, kept in
// memory for this run of the program only: never in the settings store, never
// on a command line. A connection to the same connection string uses it when
// libpq's password and service files hold none.

#include <QString>

namespace repository {

QString sessionPassword(const QString& conninfo);
void keepSessionPassword(const QString& conninfo, const QString& password);
void forgetSessionPassword(const QString& conninfo);

}  // namespace repository
