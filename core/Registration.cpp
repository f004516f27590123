#include "core/Registration.h"

QString fileNameProblem(const QString& name)
{
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return QStringLiteral("contains a path separator");
    if (name.contains(QLatin1String("..")))
        return QStringLiteral("contains \"..\"");
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("contains a control character");
        if (QStringLiteral("<>:\"|?*").contains(c))
            return QStringLiteral("contains '%1', which a file name cannot hold").arg(c);
    }
    return {};
}

QString registrationProblem(const QString& registration)
{
    if (registration.isEmpty())
        return QStringLiteral("is empty");
    if (registration.contains(QLatin1Char(' ')))
        return QStringLiteral("contains white space(s)");
    if (registration.startsWith(QLatin1Char('-')))
        return QStringLiteral("start with a '-'");
    if (registration.endsWith(QLatin1Char('-')))
        return QStringLiteral("ends with a '-'");
    return fileNameProblem(registration);
}

QString invalidRegistrationMessage(const QString& problem)
{
    return QStringLiteral("Invalid registration number: string %1").arg(problem);
}
