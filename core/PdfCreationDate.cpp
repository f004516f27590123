#include "core/PdfCreationDate.h"

#include <QRegularExpression>

QByteArray withCreationDate(QByteArray pdf, const QDateTime& instant)
{
    // "(D:20261208213000Z)", or with the local offset "(D:20261208223000+01'00')".
    static const QRegularExpression stamp(QStringLiteral(R"(/CreationDate \(D:\d{14}(Z|[+-]\d\d'\d\d')\))"));
    const QRegularExpressionMatch match = stamp.match(QString::fromLatin1(pdf));
    if (!match.hasMatch())
        return pdf;
    const QByteArray zone = match.capturedLength(1) == 1 ? QByteArray("Z") : QByteArray("+00'00'");
    const QByteArray date = "/CreationDate (D:"
                            + instant.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + zone + ")";
    pdf.replace(match.capturedStart(), match.capturedLength(), date);
    return pdf;
}
