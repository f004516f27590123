#include "repository/ui/RepositoryLogin.h"

#include "core/Prompts.h"
#include "repository/SessionPassword.h"

#include <QWidget>

bool askRepositoryPassword(QWidget* owner, const QString& conninfo, const QString& reason)
{
    const std::optional<QString> password = prompts().textInput(
        owner, QStringLiteral("Fleet repository"),
        reason + QStringLiteral("\n\nPassword (kept until the program ends, never stored):"), Prompts::Echo::Password,
        QString());
    if (!password || password->isEmpty()) {
        repository::forgetSessionPassword(conninfo);
        return false;
    }
    repository::keepSessionPassword(conninfo, *password);
    return true;
}
