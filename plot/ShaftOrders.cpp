#include "plot/ShaftOrders.h"

#include <cmath>

namespace {

// Rows of the steady-state and transient parameters that hold the shaft speeds.
struct SpeedRows {
    int steady;
    int transient;
};
constexpr SpeedRows kN1At4R{9, 2};
constexpr SpeedRows kN2At4R{10, 3};
constexpr SpeedRows kN1At3B{20, 9};
constexpr SpeedRows kN2At3B{21, 10};

bool usable(double rpm) { return std::isfinite(rpm) && rpm > 0.0; }

double speed(const FlightBlock& block, SpeedRows rows, bool transient, int type, int sample)
{
    if (transient)
        return block.transientParameters[rows.transient][type][sample];
    return block.steadyParameters[rows.steady][sample];
}

double firstUsable(double preferred, double fallback)
{
    if (usable(preferred))
        return preferred;
    return usable(fallback) ? fallback : 0.0;
}

void appendOrders(QList<ShaftOrder>& orders, const QString& shaft, double rpm)
{
    if (!usable(rpm))
        return;
    for (int order = 1; order <= kShaftOrders; ++order)
        orders.append({QString::number(order) + QChar(0x00D7) + shaft, order * rpm / 60.0});
}

}  // namespace

ShaftSpeeds shaftSpeeds(const FlightBlock& block, bool transient, int transientType, int sample)
{
    const int events = transient ? 10 : 26;
    if (sample < 0 || sample >= events || transientType < 0 || transientType >= 4)
        return {};
    const auto read = [&](SpeedRows rows) { return speed(block, rows, transient, transientType, sample); };
    return {firstUsable(read(kN1At4R), read(kN1At3B)), firstUsable(read(kN2At4R), read(kN2At3B))};
}

QList<ShaftOrder> shaftOrders(const ShaftSpeeds& speeds)
{
    QList<ShaftOrder> orders;
    appendOrders(orders, QStringLiteral("N1"), speeds.n1);
    appendOrders(orders, QStringLiteral("N2"), speeds.n2);
    return orders;
}
