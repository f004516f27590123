#pragma once
// A file read at given offsets with one system call per read, its size taken
// once at opening: reading a few regions of a raw file costs the open, one
// stat and one read per region.

#include <QString>
#include <QtGlobal>

#ifndef Q_OS_UNIX
#include <QFile>
#endif

class PositionedFile {
public:
    explicit PositionedFile(const QString& path);
    ~PositionedFile();
    PositionedFile(const PositionedFile&) = delete;
    PositionedFile& operator=(const PositionedFile&) = delete;

    bool isOpen() const { return size_ >= 0; }
    qint64 size() const { return size_; }
    // The number of bytes read, fewer at the end of the file; -1 on failure.
    qint64 read(qint64 offset, void* data, qint64 count);

private:
    qint64 size_ = -1;
#ifdef Q_OS_UNIX
    int descriptor_ = -1;
#else
    QFile file_;
#endif
};
