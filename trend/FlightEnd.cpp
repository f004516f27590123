#include "trend/FlightEnd.h"

#include <cstdio>

QString flightEndUtc(quint16 dateWord, quint16 timeWord)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:00Z", 2000u + (dateWord >> 9), (dateWord >> 5) & 0xFu,
                  dateWord & 0x1Fu, unsigned(timeWord >> 11), (timeWord >> 5) & 0x3Fu);
    return QString::fromLatin1(text);
}
