#pragma once
// Standard error as the commands share it: messages, and on a terminal one
// progress bar kept on the last line, so that messages never tear it.

#include <QString>

namespace console {

bool errorIsTerminal();
bool inputIsTerminal();

// A message on standard error; a bar on the terminal is cleared first and drawn again after.
void message(const QString& text);
// Draws the bar line (on a terminal only), replacing the one drawn before.
void showBar(const QString& text);
// Removes the bar line.
void clearBar();

// "[#######.............]" for value of maximum.
QString bar(int value, int maximum, int width = 24);

}  // namespace console
