#pragma once

#include "pickercolor.h"

#include <QFont>
#include <QRect>

class QPainter;

// Colours and font of the hot and selected entries of the named-colour list.
struct TItemAppearance
{
    ColorPicker::TColor BorderColor = ColorPicker::fromHex(0xD3D78D);
    ColorPicker::TColor BorderColorTop = ColorPicker::fromHex(0xFFFEF4);
    ColorPicker::TColor BorderColorBottom = ColorPicker::fromHex(0xFFF8CA);
    ColorPicker::TColor EdgeColor = ColorPicker::fromHex(0xDFD9C3);
    ColorPicker::TColor ColorHot = ColorPicker::fromHex(0xFDFFD7);
    ColorPicker::TColor ColorHotTo = ColorPicker::fromHex(0xFCD458);
    ColorPicker::TColor ColorMirrorHot = ColorPicker::fromHex(0xFCD458);
    ColorPicker::TColor ColorMirrorHotTo = ColorPicker::fromHex(0xFCF1B3);
    ColorPicker::TColor ColorHotText = ColorPicker::fromHex(0x000000);
    ColorPicker::TColor ColorSelected = ColorPicker::fromHex(0xFBFFA6);
    ColorPicker::TColor ColorSelectedTo = ColorPicker::fromHex(0xF4B904);
    ColorPicker::TColor ColorMirrorSelected = ColorPicker::fromHex(0xFBC115);
    ColorPicker::TColor ColorMirrorSelectedTo = ColorPicker::fromHex(0xF9E368);
    ColorPicker::TColor ColorSelectedText = ColorPicker::fromHex(0x000000);
    ColorPicker::TColor BorderColorHot = ColorPicker::clNone;
    ColorPicker::TColor BorderColorSelected = ColorPicker::clNone;
    QFont Font = defaultFont();
    ColorPicker::TColor FontColor = ColorPicker::clWindowText;

    // "Tahoma" with an 11-pixel character height.
    static QFont defaultFont();
};

struct TGlossyColors
{
    ColorPicker::TColor Top, TopTo, Mirror, MirrorTo;
    ColorPicker::TColor Border, BorderTop, BorderBottom, Edge;
};

// An Office 2007 style bar: a glossy upper half over a mirrored lower half, in a frame
// with softened corners and light inner lines.
void paintGlossyBar(QPainter& p, const QRect& r, const TGlossyColors& c);

// Vertical gradient from top colour to bottom colour filling r.
void fillVerticalGradient(QPainter& p, const QRect& r, const QColor& from, const QColor& to);
