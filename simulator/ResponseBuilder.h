#pragma once
// Builds the unit's answer to a command with generated data: letter sequences
// for text, counters for integers and floats, and a sum of three sine waves
// for the signal blocks of the engine-data download.

#include "simulator/VariedUnit.h"

#include <QByteArray>
#include <QtGlobal>
#include <optional>

class ResponseBuilder {
public:
    // With a seed, the engine data comes from a VariedUnit that records new
    // flights at every erase; without, every answer is the same.
    explicit ResponseBuilder(std::optional<quint64> variedSeed = std::nullopt);

    // The complete answer, header included, big-endian. An unknown command gets
    // the 12-byte header alone with the ack word 1.
    QByteArray build(quint32 command);

private:
    quint16 algorithmCounter_ = 0;  // advances with every algorithm-status answer
    std::optional<VariedUnit> varied_;
};

// One signal block of sampleCount samples: 128, 64 and 256 periods of three
// sines whose sum stays within the 16-bit range.
qint16 signalSample(int index, int sampleCount);
