#include "core/LatestValueRelay.h"

LatestValueRelay::LatestValueRelay(QObject* parent) : QObject(parent)
{
    interval_.setSingleShot(true);
    interval_.setInterval(kIntervalMs);
    connect(&interval_, &QTimer::timeout, this, &LatestValueRelay::flush);
}

void LatestValueRelay::post(int value)
{
    held_ = value;
    holding_ = true;
    if (!interval_.isActive())
        flush();
}

void LatestValueRelay::flush()
{
    if (!holding_)
        return;
    holding_ = false;
    interval_.start();
    emit passedOn(held_);
}
