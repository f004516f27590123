#include "core/AircraftInfo.h"

QString fieldTextProblem(const QString& what, const QString& text, std::size_t fieldSize)
{
    const QByteArray bytes = text.toLocal8Bit();
    const qsizetype limit = qsizetype(fieldSize) - 1;
    if (QString::fromLocal8Bit(bytes) != text)
        return QStringLiteral("The %1 contains characters that cannot be stored.").arg(what);
    if (text.size() > limit)
        return QStringLiteral("The %1 is longer than %2 characters.").arg(what).arg(limit);
    if (bytes.size() > limit)
        return QStringLiteral("The %1 is longer than %2 characters once stored: accented and other "
                              "non-ASCII characters count as two or more.")
            .arg(what)
            .arg(limit);
    return {};
}

QString firstFieldTextProblem(std::initializer_list<FieldText> fields)
{
    for (const FieldText& field : fields)
        if (QString problem = fieldTextProblem(QLatin1String(field.what), field.text, field.fieldSize);
            !problem.isEmpty())
            return problem;
    return {};
}
