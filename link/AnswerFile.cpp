#include "link/AnswerFile.h"

#include <QFile>

AnswerFile& AnswerFile::operator=(AnswerFile&& other) noexcept
{
    if (this != &other) {
        clear();
        path_ = other.take();
    }
    return *this;
}

AnswerFile& AnswerFile::operator=(const QString& path)
{
    if (path != path_) {
        clear();
        path_ = path;
    }
    return *this;
}

void AnswerFile::clear()
{
    if (!path_.isEmpty())
        QFile::remove(path_);
    path_.clear();
}

QString AnswerFile::take()
{
    QString path = path_;
    path_.clear();
    return path;
}
