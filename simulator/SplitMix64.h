#pragma once
// A small integer random generator (splitmix64): the same numbers from the
// same seed on every machine and with every standard library.

#include <QtGlobal>

class SplitMix64 {
public:
    explicit SplitMix64(quint64 seed) : state_(seed) {}

    quint64 next()
    {
        quint64 z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // 0 .. count - 1 (the slight bias of the modulo does not matter here).
    qint64 below(qint64 count) { return qint64(next() % quint64(count)); }

    // -spread .. spread.
    qint64 around(qint64 spread) { return below(2 * spread + 1) - spread; }

private:
    quint64 state_;
};
