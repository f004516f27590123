#pragma once

#include <QString>

class QWidget;

// Asks for the password the fleet repository wants (libpq's password and
// service files held none) and keeps it for this session only; false when
// the person gives none.
bool askRepositoryPassword(QWidget* owner, const QString& conninfo, const QString& reason);
