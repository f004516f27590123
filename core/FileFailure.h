#pragma once
// Why writing a file failed, in the system's words ("No space left on device",
// "Permission denied"). Qt's file classes often only say "Unknown error" after
// a failed write or commit; the C library still knows the reason then.

#include <QString>

class QFileDevice;

// Call right after the failing write, flush or commit.
QString fileFailureReason(const QFileDevice& file);
