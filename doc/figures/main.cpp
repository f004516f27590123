// tolm-figures: writes the user guide's figures, grabbed from the real windows
// offscreen, into the folder named on the command line. Exits with status 1
// and says why when a figure cannot be made, so the build stops.

#include "FigureCamera.h"
#include "FigureTour.h"
#include "FigureWorld.h"
#include "core/Database.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

namespace {

// The simulated unit and the link trace every request, and the offscreen
// platform notes each window request it ignores; the build log wants only what went wrong.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type != QtDebugMsg && type != QtInfoMsg && !text.startsWith(QLatin1String("This plugin does not support")))
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: tolm-figures FOLDER\n");
        return 2;
    }
    // Never a real display: the figures must not depend on the desktop they were made on.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    QApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "tolm-figures: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    FigureWorld world;
    if (!world.failure().isEmpty()) {
        std::fprintf(stderr, "tolm-figures: %s\n", qPrintable(world.failure()));
        return 1;
    }
    connectDB();
    FigureCamera camera(folder);
    {
        FigureTour tour(world, camera);
        tour.run();
    }
    for (const QString& failure : camera.failures())
        std::fprintf(stderr, "tolm-figures: figure %s\n", qPrintable(failure));
    return camera.failures().isEmpty() ? 0 : 1;
}
