#pragma once

class QWidget;

// "Sync to Fleet Repository": pushes the data tree's downloads to the stored
// fleet repository with a progress dialog, asks for a password when the
// server wants one that libpq's files lack, and tells the summary or why not.
void syncToFleetRepository(QWidget* parent);
