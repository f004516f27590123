#include "core/MessageText.h"

namespace {

QString hexEscape(uint code)
{
    return QStringLiteral("\\x") + QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

QString escape(uint code)
{
    switch (code) {
    case '\t': return QStringLiteral("\\t");
    case '\n': return QStringLiteral("\\n");
    case '\r': return QStringLiteral("\\r");
    default: return hexEscape(code);
    }
}

bool isControl(uint code) { return code < 0x20 || (code >= 0x7F && code <= 0x9F); }

}  // namespace

QString messageText(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (isControl(c.unicode()))
            shown += escape(c.unicode());
        else
            shown += c;
    }
    return shown;
}

QString messageText(const QByteArray& bytes)
{
    QString shown;
    shown.reserve(bytes.size());
    for (const char byte : bytes) {
        const uint code = static_cast<unsigned char>(byte);
        if (isControl(code) || code >= 0x80)
            shown += escape(code);
        else
            shown += QLatin1Char(byte);
    }
    return shown;
}
