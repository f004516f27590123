#include "FigureCamera.h"

#include "core/CheckedSaveFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

void FigureCamera::take(QWidget& widget, const QString& name)
{
    // Pending layouts and repaints first, so the figure shows what the window shows.
    QCoreApplication::processEvents();
    const QPixmap picture = widget.grab();
    if (picture.isNull()) {
        fail(name, QStringLiteral("nothing to grab"));
        return;
    }
    const QString path = QDir(folder_).filePath(name + QStringLiteral(".png"));
    CheckedSaveFile file(path);
    QString failure;
    if (!file.open(QIODevice::WriteOnly))
        failure = file.errorString();
    else if (!picture.save(&file, "PNG"))
        failure = QStringLiteral("cannot encode the image");
    else
        failure = file.commitWhole();
    if (failure.isEmpty())
        taken_ << name;
    else
        fail(name, path + QStringLiteral(": ") + failure);
}
