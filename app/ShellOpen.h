#pragma once

#include <QString>

class QWidget;

// Opens a document or text file with the desktop's default application. A
// failure is reported in a warning with the short title: "<path>: <reason>.".
bool shellOpen(QWidget* parent, const QString& path);
