#include "FigureDialogs.h"

#include <QDialog>

int FigureDialogs::exec(QDialog& dialog)
{
    const QString name = QString::fromLatin1(dialog.metaObject()->className());
    const Step step = steps_.take(name);
    if (!step) {
        unexpected_ << name;
        return QDialog::Rejected;
    }
    dialog.setModal(false);
    dialog.show();
    const int result = step(dialog);
    dialog.hide();
    return result;
}
