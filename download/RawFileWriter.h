#pragma once

#include "flights/RawFileFormat.h"
#include "download/ReportContext.h"

#include <QString>

// The raw file header of a session; the creation time is the given one.
RawFileHeader makeRawFileHeader(const ReportContext& context, const EngineDataImage& image,
                                quint32 creationTime);
// Rearranges one flight slot of the unit's answer into a flight block.
void fillFlightBlock(FlightBlock& block, const FlightSlot& slot);

// Writes the raw file under a temporary name and renames it to path when
// complete. Returns the failure text, empty on success.
QString writeRawFile(const QString& path, const ReportContext& context, const EngineDataImage& image);
