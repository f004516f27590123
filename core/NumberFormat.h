#pragma once
// Numbers written the way the C library's printf writes them, in the "C"
// locale. QString::number and QTextStream round an exact decimal tie away
// from zero and drop the sign of -0; printf rounds by the exact binary value,
// a tie to even. Every report number is formatted here.

#include <QByteArray>
#include <QString>

// As printf "%.*g": at most `precision` significant digits (0 counts as 1),
// fixed or exponent form, trailing zeros dropped.
QString formatG(double value, int precision = 6);
// The same text appended to out as 8-bit characters, for writers of large files.
void appendG(QByteArray& out, double value, int precision = 6);

// As printf "%.*f": `decimals` digits after the point.
QString formatFixed(double value, int decimals);
