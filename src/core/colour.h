#pragma once

#include <QString>
#include <QtGlobal>

// A colour as stored in Config.ini: 0x00BBGGRR for a plain colour; negative values
// name a system colour of the desktop (clSystemColor | index).
using TColor = qint32;

constexpr TColor clSystemColor = qint32(0xFF000000u);
constexpr TColor clNone = 0x1FFFFFFF;

constexpr TColor clBlack = 0x00000000;
constexpr TColor clRed = 0x000000FF;
constexpr TColor clBlue = 0x00FF0000;
constexpr TColor clWhite = 0x00FFFFFF;

constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clGrayText = clSystemColor | 17;

constexpr TColor makeColor(int r, int g, int b)
{
    return TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int colorRed(TColor c)
{
    return c & 0xFF;
}
constexpr int colorGreen(TColor c)
{
    return (c >> 8) & 0xFF;
}
constexpr int colorBlue(TColor c)
{
    return (c >> 16) & 0xFF;
}
constexpr bool isSystemColor(TColor c)
{
    return c < 0;
}

// The plain colour of a system colour in the classic default desktop scheme (window
// text black, window white...). The picture resolves system colours this way so that
// preview and export do not depend on the desktop theme. Plain colours pass through.
TColor defaultSchemeColor(TColor c);
