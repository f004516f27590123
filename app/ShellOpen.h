#pragma once

#include <QString>

class QWidget;

// Opens a document or text file with the desktop's default application,
// without waiting for it. A failure, also one the opener reports after it
// started, is told in a warning with the short title: "<path>: <reason>.".
void shellOpen(QWidget* parent, const QString& path);
