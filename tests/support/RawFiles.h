#pragma once
// Raw files for tests, written by the download's own writer.

#include <QList>
#include <QString>

quint16 dateWord(int year, int month, int day);
quint16 timeWord(int hour, int minute);

struct RawSlot {
    qint32 flight;
    qint32 memoryType;
    quint16 date = dateWord(2011, 3, 5);
    quint16 time = timeWord(14, 25);
};

// Writes <dataRoot>/<registration>_data/engine_<engine>/<name>; slot i gets
// slotList[i], the others stay empty. The first steady-state sample of a slot
// is 1000 + its flight number. Returns the path.
QString writeRaw(const QString& dataRoot, const QString& registration, int engine, const QString& name,
                 const QList<RawSlot>& slotList);

// Writes the older format of a current raw file: a 340-byte header with its
// own magic before the same blocks. Returns the older file's path.
QString makeOlder(const QString& current, const QString& older);
