#include "SampleAircraft.h"

AircraftInfo sampleAircraft()
{
    AircraftInfo info{};
    copyText(info.registration, QStringLiteral("F-GABC"));
    copyText(info.engines[3].type, QStringLiteral("CFM56-5"));
    copyText(info.engines[3].serialNumber, QStringLiteral("123456"));
    return info;
}
