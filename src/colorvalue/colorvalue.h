#pragma once

#include <QtGlobal>

#include <array>
#include <cstddef>

// The one colour value of the program, shared by the configuration layers and the colour
// picker so that both agree on what a stored number means.
namespace tavelorn {

// A colour as stored in Config.ini: 0x00BBGGRR for a plain colour; negative values
// name a system colour of the desktop (kSystemColorFlag | index); kColorNone is no colour.
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
// From the #RRGGBB notation written as one number, 0xRRGGBB.
constexpr Color colorFromHex(quint32 rrggbb)
{
    return makeColor(int(rrggbb >> 16), int(rrggbb >> 8), int(rrggbb));
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
// preview and export do not depend on the desktop theme; the picker does so on a
// background the program chose. Plain colours pass through.
constexpr Color defaultSchemeColor(Color c)
{
    // Indexed by the desktop's system colour index.
    constexpr std::array<Color, 25> kClassicScheme = {
        makeColor(0xC8, 0xC8, 0xC8), // scroll bar
        kColorBlack,                 // background
        makeColor(0x99, 0xB4, 0xD1), // active caption
        makeColor(0xBF, 0xCD, 0xDB), // inactive caption
        makeColor(0xF0, 0xF0, 0xF0), // menu
        kColorWhite,                 // window
        makeColor(0x64, 0x64, 0x64), // window frame
        kColorBlack,                 // menu text
        kColorBlack,                 // window text
        kColorBlack,                 // caption text
        makeColor(0xB4, 0xB4, 0xB4), // active border
        makeColor(0xF4, 0xF7, 0xFC), // inactive border
        makeColor(0xAB, 0xAB, 0xAB), // app workspace
        makeColor(0x33, 0x99, 0xFF), // highlight
        kColorWhite,                 // highlight text
        makeColor(0xF0, 0xF0, 0xF0), // button face
        makeColor(0xA0, 0xA0, 0xA0), // button shadow
        makeColor(0x6D, 0x6D, 0x6D), // grey text
        kColorBlack,                 // button text
        makeColor(0x43, 0x4E, 0x54), // inactive caption text
        kColorWhite,                 // button highlight
        makeColor(0x69, 0x69, 0x69), // 3D dark shadow
        makeColor(0xE3, 0xE3, 0xE3), // 3D light
        kColorBlack,                 // tooltip text
        makeColor(0xFF, 0xFF, 0xE1), // tooltip background
    };
    if (!isSystemColor(c))
        return c;
    const auto index = std::size_t(c & 0xFF);
    return index < kClassicScheme.size() ? kClassicScheme[index] : kColorBlack;
}

} // namespace tavelorn
