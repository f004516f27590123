#pragma once
// The shaft orders of a spectrum: the low (N1) and high (N2) pressure shaft
// speeds recorded with each steady-state bin and transient capture, and the
// frequencies of their first three orders.

#include "flights/RawFileFormat.h"

#include <QList>
#include <QString>

// RPM; 0 where the capture has no usable speed of that shaft.
struct ShaftSpeeds {
    double n1 = 0.0;
    double n2 = 0.0;
};

// The speeds measured at 4R, or at 3B where a 4R speed is 0 or not finite.
// `sample` is the bin (steady state) or the capture of `transientType`.
ShaftSpeeds shaftSpeeds(const FlightBlock& block, bool transient, int transientType, int sample);

struct ShaftOrder {
    QString label;  // "1×N1" ... "3×N2"
    double hz = 0.0;
};

constexpr int kShaftOrders = 3;

// 1×, 2× and 3× each shaft speed (order × RPM / 60); none for a shaft without a speed.
QList<ShaftOrder> shaftOrders(const ShaftSpeeds& speeds);
