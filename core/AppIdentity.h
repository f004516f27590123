#pragma once
// Names under which the program stores its settings, its version and the two
// fixed titles used by windows and message boxes.

#include <QString>

namespace app {

inline const QString kOrganisation = QStringLiteral("Quellwerk");
inline const QString kApplication = QStringLiteral("Mirvak");
constexpr int kVersionMajor = 2;
constexpr int kVersionMinor = 2;
constexpr int kVersionPatch = 0;

// Both titles carry one leading and one trailing blank.
inline const QString kShortTitle = QStringLiteral(" Tolm for Advanced Korvel ");
inline const QString kLongTitle = QStringLiteral(" Tolmarin (Tolm) for Advanced Korvel ");

inline QString versionString()
{
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionPatch);
}

}  // namespace app
