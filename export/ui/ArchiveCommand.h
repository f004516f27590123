#pragma once

class QWidget;

// "Archive Data": asks for a directory of the data tree and archives it, with
// a cancellable progress display for archives that take more than a moment.
void archiveData(QWidget* parent);
