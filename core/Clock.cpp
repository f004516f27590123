#include "core/Clock.h"

namespace {
std::optional<QDateTime> fixed;
}

QDateTime Clock::now() { return fixed ? *fixed : QDateTime::currentDateTime(); }

void Clock::fix(std::optional<QDateTime> instant) { fixed = std::move(instant); }
