#pragma once
// Names typed by the technician or reported by the unit end up as directory
// and file names in the data tree, so they are checked before use.

#include <QString>

// Why a name cannot be part of a file name ("contains a path separator", ...);
// empty when it can. Refuses path separators, "..", control characters and
// the characters <>:"|?*.
QString fileNameProblem(const QString& name);

// Why a text is no valid aircraft registration ("is empty", "contains white
// space(s)", "start with a '-'", "ends with a '-'", or a file-name problem);
// empty when it is valid.
QString registrationProblem(const QString& registration);

// "Invalid registration number: string <problem>".
QString invalidRegistrationMessage(const QString& problem);
