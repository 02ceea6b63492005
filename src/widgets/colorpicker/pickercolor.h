#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QtGlobal>

class QPalette;

// The colour value the picker works with, kept independent of the rest of the program:
// 0x00BBGGRR for a plain colour, negative for a system colour of the desktop
// (0xFF000000 | index), clNone for no colour.
namespace ColorPicker {
Q_NAMESPACE

using TColor = qint32;

// How the palette outlines its hot and selected boxes; the last three share one look.
enum TSelectionColorStyle
{
    scCustom = 0,
    scOffice2007 = 1,
    scWindowsVista = 2,
    scWindows7 = 3
};
Q_ENUM_NS(TSelectionColorStyle)

// Which sides of a palette box get a frame line, so a column of tints reads as one strip.
enum TItemPos
{
    ipStandAlone = 0,
    ipTop = 1,
    ipMiddle = 2,
    ipBottom = 3
};
Q_ENUM_NS(TItemPos)

// The picker's four ways of choosing: named colours, theme palette, honeycomb, spectrum.
enum TColorSelectionStyle
{
    csList = 0,
    csDiscrete = 1,
    csColorCube = 2,
    csSpectrum = 3
};
Q_ENUM_NS(TColorSelectionStyle)

// How the picker's face writes a colour that is not a selected named colour.
enum TColorValueText
{
    cvtNone = 0,
    cvtHex = 1,
    cvtWebName = 2,
    cvtRGB = 3,
    cvtHTML = 4
};
Q_ENUM_NS(TColorValueText)

// Where a list entry's caption stands relative to its colour box.
enum TItemLayout
{
    ilCaptionLeft = 0,
    ilCaptionRight = 1,
    ilCaptionTop = 2,
    ilCaptionBottom = 3
};
Q_ENUM_NS(TItemLayout)

enum TDropPosition
{
    dpAuto = 0,
    dpDown = 1,
    dpUp = 2
};
Q_ENUM_NS(TDropPosition)

enum TButtonAlignment
{
    baLeft = 0,
    baRight = 1
};
Q_ENUM_NS(TButtonAlignment)

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clSystemColor = qint32(0xFF000000u);
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clGrayText = clSystemColor | 17;

constexpr TColor rgb(int r, int g, int b)
{
    return TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
// From the #RRGGBB notation written as one number, 0xRRGGBB.
constexpr TColor fromHex(quint32 rrggbb)
{
    return rgb(int(rrggbb >> 16), int(rrggbb >> 8), int(rrggbb));
}
constexpr int red(TColor c)
{
    return c & 0xFF;
}
constexpr int green(TColor c)
{
    return (c >> 8) & 0xFF;
}
constexpr int blue(TColor c)
{
    return (c >> 16) & 0xFF;
}
constexpr bool isSystemColor(TColor c)
{
    return c < 0;
}

// A system colour becomes its current value in the palette (the application's when
// none is given); plain colours and clNone pass through.
TColor colorToRGB(TColor c, const QPalette* palette = nullptr);
TColor colorToRGB(TColor c, const QPalette& palette);

// A system colour becomes its value in the classic desktop scheme (window text black),
// whatever the desktop's palette says.
TColor classicColorToRGB(TColor c);

// The colour to draw a text of colour text with on background. A system text colour
// follows the desktop only when the background is the desktop's too: on a background
// the program chose, a dark desktop's white window text would be unreadable.
QColor textQColor(TColor text, TColor background, const QPalette* palette);

// The QColor to paint with; clNone gives an invalid QColor.
QColor toQColor(TColor c, const QPalette* palette = nullptr);
TColor fromQColor(const QColor& c);

// "#RRGGBB" of the colour after system colours are resolved.
QString colorToHtml(TColor c);

} // namespace ColorPicker
