#pragma once

#include <QByteArray>
#include <QtGlobal>

// The common CRC-32 (polynomial 0xEDB88320, as used by zip and Ethernet).
quint32 crc32(const QByteArray& data);
