#pragma once

#include <QString>
#include <QtGlobal>

// Converts a complete response held in rawFileName (the message as received,
// length word first) into a normalised response file in the data root's tmp
// directory: the same layout with every element in host byte order.
// Returns 0 and sets outputName to the new file on success. On failure leaves
// no output file behind, clears outputName, returns -1 and hands the reason to
// failure when given, else reports it in a critical box titled "UnsetRsp".
// The consumer deletes the output file.
int normalizeResponse(QString& outputName, const QString& rawFileName, quint32 length,
                      QString* failure = nullptr);

// The failure of an answer the unit refused: its acknowledgement word is not 0.
inline const QString kDetectedAckError = QStringLiteral("Detected ACK error");

// The failure when an answer cannot be spooled or normalised into a file,
// with the system's reason ("No space left on device").
QString cannotCreateTemporaryFile(const QString& reason);
