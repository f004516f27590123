#pragma once
// Sine and cosine rounded correctly to double, computed with additions,
// multiplications and divisions only. The C library's sin and cos may differ
// in the last bit between processors (it picks a variant by instruction set);
// these give the same bits everywhere, so tables built from them do too.
// Meant for the transform and window tables: |x| up to about 1e5.

double correctlyRoundedSin(double x);
double correctlyRoundedCos(double x);
