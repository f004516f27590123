#pragma once
// The end of a flight as the unit stored it, written the way the flight
// selection labels it (UTC). The fields are shown as stored, not clamped, so
// a unit with a wrong clock is seen as it is.

#include <QString>
#include <QtGlobal>

// "2011-03-05T14:25:00Z" from the date and time words.
QString flightEndUtc(quint16 dateWord, quint16 timeWord);
