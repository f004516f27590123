#pragma once
// The toolkit's PDF writer stamps /CreationDate from the system clock. This
// puts another instant there, in as many bytes, so every offset of the file
// stays valid and the same document written twice gives the same bytes.

#include <QByteArray>
#include <QDateTime>

// The instant in UTC in place of the writer's stamp; the bytes as they were when they hold none.
QByteArray withCreationDate(QByteArray pdf, const QDateTime& instant);
