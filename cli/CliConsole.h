#pragma once
// Standard error as the commands share it: messages, and on a terminal one
// progress bar kept on the last line, so that messages never tear it. Escape
// codes are written only to a terminal that understands them (not TERM=dumb)
// and never when NO_COLOR is set; a dumb terminal gets lines, like a log.

#include <QString>

namespace console {

bool inputIsTerminal();
// Progress is a bar redrawn in place: standard error is a terminal, and not a dumb one.
bool drawsBar();

// A message on standard error; a bar on the terminal is cleared first and drawn again after.
void message(const QString& text);
// Draws the bar line (where drawsBar() holds), replacing the one drawn before.
void showBar(const QString& text);
// Removes the bar line.
void clearBar();

// "[#######.............]" for value of maximum.
QString bar(int value, int maximum, int width = 24);

}  // namespace console
