#pragma once

#include <QString>

namespace tavelorn {

inline QString& appTitleStorage()
{
    static QString title = QStringLiteral("Corvandel");
    return title;
}

// The application title: the main window's caption, the title of its message boxes and
// the About dialog's headline.
inline QString appTitle()
{
    return appTitleStorage();
}

// The program keeps "Corvandel"; tests set others to see how a title is shown.
inline void setAppTitle(const QString& title)
{
    appTitleStorage() = title;
}

} // namespace tavelorn
