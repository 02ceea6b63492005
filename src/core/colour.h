#pragma once

#include <QString>
#include <QtGlobal>

namespace tavelorn {

// A colour as stored in Config.ini: 0x00BBGGRR for a plain colour; negative values
// name a system colour of the desktop (kSystemColorFlag | index).
using Color = qint32;

constexpr Color kSystemColorFlag = qint32(0xFF000000u);
constexpr Color kColorNone = 0x1FFFFFFF;

constexpr Color kColorBlack = 0x00000000;
constexpr Color kColorRed = 0x000000FF;
constexpr Color kColorBlue = 0x00FF0000;
constexpr Color kColorWhite = 0x00FFFFFF;

constexpr Color kColorWindow = kSystemColorFlag | 5;
constexpr Color kColorWindowText = kSystemColorFlag | 8;
constexpr Color kColorButtonFace = kSystemColorFlag | 15;
constexpr Color kColorHighlight = kSystemColorFlag | 13;
constexpr Color kColorHighlightText = kSystemColorFlag | 14;
constexpr Color kColorGrayText = kSystemColorFlag | 17;

constexpr Color makeColor(int r, int g, int b)
{
    return Color((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int colorRed(Color c)
{
    return c & 0xFF;
}
constexpr int colorGreen(Color c)
{
    return (c >> 8) & 0xFF;
}
constexpr int colorBlue(Color c)
{
    return (c >> 16) & 0xFF;
}
constexpr bool isSystemColor(Color c)
{
    return c < 0;
}

// The plain colour of a system colour in the classic default desktop scheme (window
// text black, window white...). The picture resolves system colours this way so that
// preview and export do not depend on the desktop theme. Plain colours pass through.
Color defaultSchemeColor(Color c);

} // namespace tavelorn
