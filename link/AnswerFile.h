#pragma once
// The normalised file of the current answer, with one owner: the file is
// removed when it is replaced, cleared or the owner goes, unless it was taken.
// Move-only, so no two owners can remove it from under each other.

#include <QString>

class AnswerFile {
public:
    AnswerFile() = default;
    AnswerFile(const AnswerFile&) = delete;
    AnswerFile& operator=(const AnswerFile&) = delete;
    AnswerFile(AnswerFile&& other) noexcept : path_(other.take()) {}
    AnswerFile& operator=(AnswerFile&& other) noexcept;
    ~AnswerFile() { clear(); }

    // Owns the file at path (empty: none), removing the one held before.
    AnswerFile& operator=(const QString& path);

    const QString& path() const { return path_; }
    operator const QString&() const { return path_; }
    bool isEmpty() const { return path_.isEmpty(); }
    // Removes the file.
    void clear();
    // Hands the file over to the caller, who removes it.
    QString take();

private:
    QString path_;
};
