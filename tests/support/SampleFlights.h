#pragma once
// Recorded flights with known values, written as the unit delivers them and
// read back through the raw file writer and reader, so a test can check any
// plotted value against a formula in the unit's own terms.

#include "flights/FlightRecord.h"

#include <QList>
#include <QString>

namespace sample {

// Parameter j (0..21) of steady-state bin r (0..25).
float steadyParameter(qint32 flight, int bin, int parameter);
// Parameter j (0..10) of event m (0..9) of transient type k (0..3).
float transientParameter(qint32 flight, int type, int event, int parameter);
// Summary value a (0..9) of transient type k.
float captureAverage(qint32 flight, int type, int average);

// Each time history is a sine exactly on one spectral line.
int steadyLine(int bin);
int transientLine(int type, int event);
qint16 steadyAmplitude(qint32 flight, int bin);  // in counts
qint16 transientAmplitude(qint32 flight, int type, int event);
qint16 steadySample(qint32 flight, int bin, int index);
qint16 transientSample(qint32 flight, int type, int event, int index);

}  // namespace sample

struct SampleSlot {
    qint32 flight = 0;
    qint32 memoryType = 0;
};

// Writes <dataRoot>/<registration>_data/engine_<engine>/<name> with one slot
// per entry (the rest empty) and returns its path.
QString writeSampleRawFile(const QString& dataRoot, const QString& registration, int engine, const QString& name,
                           const QList<SampleSlot>& slotList);
// Every flight of a raw file, read as the flight selection reads it.
FlightRecordList readFlights(const QString& path);
