#pragma once
// Text from a file, the unit or a person shown inside a message (box, status
// bar, standard error): its control characters are written as escapes, so a
// NUL cannot cut the message short and nothing reaches a terminal as a
// control sequence. Files keep their bytes; only messages use this.

#include <QByteArray>
#include <QString>

// "\t", "\n", "\r"; every other control character (C0, DEL, C1) as "\xNN".
QString messageText(const QString& text);
// Bytes as read from a file: printable ASCII as it is, every other byte as "\xNN".
QString messageText(const QByteArray& bytes);
