#pragma once
// This station as the fleet repository knows it: a UUID made the first time
// it is needed and kept in the settings store (two data trees under one
// account are one station), and a name, the host name unless changed.

#include <QString>

namespace repository {

struct Station {
    QString id;  // "0b6d…-…", without braces
    QString name;
};

Station thisStation();

}  // namespace repository
