#pragma once
// The engine a flight belongs to: its serial number, or for a download made
// without one, an engine of its own per registration and position.

#include "trend/IndexedFlight.h"

#include <QString>

// A flight of an "ESN123-fd-…" file gives "123"; a flight without a serial number gives "(no ESN) F-GABC/2".
QString engineKey(const IndexedFlight& flight);
