#include "ui/MenuBarKey.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QShortcut>

void bindMenuBarKey(QMainWindow* window)
{
    QObject::connect(new QShortcut(Qt::Key_F10, window), &QShortcut::activated, window, [window] {
        QMenuBar* bar = window->menuBar();
        bar->setActiveAction(bar->actions().value(0));
    });
}
