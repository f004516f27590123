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

}  // namespace

bool errorIsTerminal() { return isatty(fileno(stderr)); }
bool inputIsTerminal() { return isatty(fileno(stdin)); }

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
    if (!errorIsTerminal() || text == shownBar)
        return;
    // Carriage return, the text, then erase what a longer bar left to its right.
    write(QStringLiteral("\r%1\x1b[K").arg(text));
    shownBar = text;
}

void clearBar()
{
    if (shownBar.isEmpty())
        return;
    write(QStringLiteral("\r\x1b[K"));
    shownBar.clear();
}

QString bar(int value, int maximum, int width)
{
    const int filled = maximum > 0 ? int(qint64(qBound(0, value, maximum)) * width / maximum) : 0;
    return QStringLiteral("[%1%2]").arg(QString(filled, QLatin1Char('#')), QString(width - filled, QLatin1Char('.')));
}

}  // namespace console
