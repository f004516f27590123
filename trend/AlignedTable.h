#pragma once
// A plain-text table for the terminal: a heading row and data rows, each
// column as wide as its widest cell, numbers right-aligned.

#include <QList>
#include <QString>
#include <QStringList>

// Columns whose index is in `rightAligned` are padded on the left. Lines end in '\n', without trailing blanks.
QString alignedTable(const QList<QStringList>& rows, const QList<int>& rightAligned = {});
