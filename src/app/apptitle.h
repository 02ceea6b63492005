#pragma once

#include <QString>

inline QString& appTitleStorage()
{
    static QString title = QStringLiteral("Corvandel");
    return title;
}

// The application title: the main window's caption, the title of its message boxes and
// the About dialog's headline.
inline QString AppTitle()
{
    return appTitleStorage();
}

// The program keeps "Corvandel"; tests set others to see how a title is shown.
inline void SetAppTitle(const QString& title)
{
    appTitleStorage() = title;
}
