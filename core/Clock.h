#pragma once
// The time the station stamps on what it writes (session date-time, a raw
// file's creation time). Tests fix it, so the same download written twice
// gives the same bytes.

#include <QDateTime>
#include <optional>

namespace Clock {

QDateTime now();
// From now on now() answers this instant; std::nullopt returns to the real clock.
void fix(std::optional<QDateTime> instant);

}  // namespace Clock
