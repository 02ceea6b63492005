#pragma once

#include <QString>

// The application title: the main window's caption and the title of its message boxes.
inline QString AppTitle()
{
    return QStringLiteral("Corvandel");
}
