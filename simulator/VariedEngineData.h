#pragma once
// The engine-data answer of a VariedUnit. The blocks that hold the flight
// words, values, samples and dates come from the unit (zeros in empty slots);
// the others are left to the plain simulator's generator.

#include "link/Protocol.h"
#include "simulator/VariedUnit.h"

class QDataStream;

class VariedEngineData {
public:
    explicit VariedEngineData(const VariedUnit& unit) : unit_(unit) {}

    // The leading data header block: total engine flights and alarm codes.
    void writeDataHeader(QDataStream& out) const;
    // Writes block blockNb of flight slot `record`, block header included, when it
    // is one of the unit's; returns false, having written nothing, otherwise.
    bool writeBlock(QDataStream& out, mirvak::BlockLayout block, int blockNb, int record) const;

private:
    void writeFlightBlock(QDataStream& out, const VariedFlight& flight, int blockNb) const;
    void writeSignal(QDataStream& out, const VariedFlight& flight, int capture, int binOrSample) const;

    const VariedUnit& unit_;
};
