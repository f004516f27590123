// The floor of the station's start-up: a bare main window of the same
// toolkit, shown as soon as the application object exists.

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.resize(800, 600);
    window.show();
    return app.exec();
}
