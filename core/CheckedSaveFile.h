#pragma once
// A QSaveFile whose file appears whole or not at all. Qt 6.4's
// QSaveFile::commit() reports success after its last buffered write (up to
// 16 kB) failed for lack of space or past a file-size limit, and a write
// larger than the buffer that the disk takes only in part returns the short
// count without any error: either way the cut file would be committed. This
// one notes every short write and flushes and checks before committing.

#include <QSaveFile>

class CheckedSaveFile : public QSaveFile {
public:
    using QSaveFile::QSaveFile;

    // Commits the file when everything written reached it. Otherwise nothing
    // appears under its name and the system's reason is returned ("No space
    // left on device", "File too large"); empty on success.
    QString commitWhole();

protected:
    qint64 writeData(const char* data, qint64 length) override;

private:
    QString failure_;  // the reason of the first write the file did not take whole
};
