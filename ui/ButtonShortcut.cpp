#include "ui/ButtonShortcut.h"

#include <QAbstractButton>
#include <QShortcut>

void makeShortcutImmediate(QAbstractButton* button)
{
    const QKeySequence key = button->shortcut();
    button->setShortcut(QKeySequence());
    auto* shortcut = new QShortcut(key, button);
    QObject::connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
}
