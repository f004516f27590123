#pragma once

#include <QString>
#include <QtGlobal>

// Converts a complete response held in rawFileName (the message as received,
// length word first) into a normalised response file in the data root's tmp
// directory: the same layout with every element in host byte order.
// Returns 0 and sets outputName to the new file on success. On failure reports
// the reason in a critical box titled "UnsetRsp", leaves no output file behind,
// clears outputName and returns -1. The consumer deletes the output file.
int normalizeResponse(QString& outputName, const QString& rawFileName, quint32 length);
