#include "cli/CliConsole.h"

#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace console {
namespace {

QString shownBar;  // the bar on the terminal's last line, empty when none

void write(const QString& text)
{
    std::fputs(qPrintable(text), stderr);
    std::fflush(stderr);
}

bool usesEscapeCodes() { return drawsBar() && qEnvironmentVariableIsEmpty("NO_COLOR"); }

// Returns to the start of the bar's line and blanks it.
void eraseBarLine()
{
    write(usesEscapeCodes() ? QStringLiteral("\r\x1b[K")
                            : QLatin1Char('\r') + QString(shownBar.size(), QLatin1Char(' ')) + QLatin1Char('\r'));
}

}  // namespace

bool inputIsTerminal() { return isatty(fileno(stdin)); }

bool drawsBar()
{
    return isatty(fileno(stderr)) && qEnvironmentVariable("TERM") != QLatin1String("dumb");
}

void message(const QString& text)
{
    const QString bar = shownBar;
    clearBar();
    write(text + QLatin1Char('\n'));
    if (!bar.isEmpty())
        showBar(bar);
}

void showBar(const QString& text)
{
    if (!drawsBar() || text == shownBar)
        return;
    eraseBarLine();
    write(text);
    shownBar = text;
}

void clearBar()
{
    if (shownBar.isEmpty())
        return;
    eraseBarLine();
    shownBar.clear();
}

QString bar(int value, int maximum, int width)
{
    const int filled = maximum > 0 ? int(qint64(qBound(0, value, maximum)) * width / maximum) : 0;
    return QStringLiteral("[%1%2]").arg(QString(filled, QLatin1Char('#')), QString(width - filled, QLatin1Char('.')));
}

}  // namespace console
