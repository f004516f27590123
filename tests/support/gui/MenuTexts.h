#pragma once
// Menu entries as a person reads them: the text without its access-key "&".

#include <QAction>
#include <QString>

inline QString shownText(const QString& text)
{
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;  // "&x" shows x underlined; "&&" shows one "&"
        shown += text[i];
    }
    return shown;
}

inline QString shownText(const QAction* action) { return shownText(action->text()); }
