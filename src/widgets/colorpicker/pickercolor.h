#pragma once

#include "colorvalue.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QtGlobal>

class QPalette;

// The picker works with the program's colour value (tavelorn::Color of colorvalue.h);
// these are its own enums and its conversions that need a palette.
namespace ColorPicker {
Q_NAMESPACE

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

// A system colour becomes its current value in the palette (the application's when
// none is given); plain colours and kColorNone pass through.
tavelorn::Color colorToRGB(tavelorn::Color c, const QPalette* palette = nullptr);
tavelorn::Color colorToRGB(tavelorn::Color c, const QPalette& palette);

// The colour to draw a text of colour text with on background. A system text colour
// follows the desktop only when the background is the desktop's too: on a background
// the program chose, a dark desktop's white window text would be unreadable.
QColor textQColor(tavelorn::Color text, tavelorn::Color background, const QPalette* palette);

// The QColor to paint with; kColorNone gives an invalid QColor.
QColor toQColor(tavelorn::Color c, const QPalette* palette = nullptr);
tavelorn::Color fromQColor(const QColor& c);

// "#RRGGBB" of the colour after system colours are resolved.
QString colorToHtml(tavelorn::Color c);

} // namespace ColorPicker
