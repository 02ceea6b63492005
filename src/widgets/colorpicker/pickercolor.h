#pragma once

#include "colorvalue.h"

#include <QColor>
#include <QString>

class QPalette;

// The picker works with the program's colour value (Color of colorvalue.h); these are
// its own enums and its conversions that need a palette.
namespace tavelorn {

// How the palette outlines its hot and selected boxes; the last three share one look.
enum class SelectionColorStyle
{
    Custom,
    Office2007,
    WindowsVista,
    Windows7
};

// Which sides of a palette box get a frame line, so a column of tints reads as one strip.
enum class ItemPos
{
    StandAlone,
    Top,
    Middle,
    Bottom
};

// The picker's four ways of choosing: named colours, theme palette, honeycomb, spectrum.
enum class ColorSelectionStyle
{
    List,
    Discrete,
    ColorCube,
    Spectrum
};

// How the picker's face writes a colour that is not a selected named colour.
enum class ColorValueText
{
    NoText,
    Hex,
    WebName,
    Rgb,
    Html
};

// Where a list entry's caption stands relative to its colour box.
enum class ItemLayout
{
    CaptionLeft,
    CaptionRight,
    CaptionTop,
    CaptionBottom
};

enum class DropPosition
{
    Auto,
    Down,
    Up
};

enum class ButtonAlignment
{
    Left,
    Right
};

// A system colour becomes its current value in the palette (the application's when
// none is given); plain colours and kColorNone pass through.
Color toRgbColor(Color c, const QPalette* palette = nullptr);
Color toRgbColor(Color c, const QPalette& palette);

// The colour to draw a text of colour text with on background. A system text colour
// follows the desktop only when the background is the desktop's too: on a background
// the program chose, a dark desktop's white window text would be unreadable.
QColor textQColor(Color text, Color background, const QPalette* palette);

// The QColor to paint with; kColorNone gives an invalid QColor.
QColor paletteQColor(Color c, const QPalette* palette = nullptr);
Color fromQColor(const QColor& c);

// "#RRGGBB" of the colour after system colours are resolved.
QString colorToHtml(Color c);

// What a screen reader hears for a colour: "#RRGGBB" with system colours resolved
// through the palette, empty for kColorNone.
QString accessibleColorText(Color c, const QPalette& palette);

} // namespace tavelorn
