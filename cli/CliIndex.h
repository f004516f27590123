#pragma once
// The flight index as the trend and fleet commands read it: brought up to
// date with the data tree first, the one place that does so for them.

#include "trend/IndexedFlight.h"

#include <QList>
#include <QString>

struct IndexChanges;

namespace cli {

struct IndexedFlights {
    QList<IndexedFlight> flights;  // every engine's, in flight order
    bool allRead = true;  // false when a raw file was refused (named on standard error)
};

// Brings the data root's index up to date and reads the flights of one
// engine (engineKey()), or every engine's when empty; ends with StepFailed
// when the index cannot be used.
IndexedFlights indexedFlights(const QString& engine = {});

// Names on standard error each raw file the update refused, with why.
void tellRefusedFiles(const IndexChanges& changes);

}  // namespace cli
