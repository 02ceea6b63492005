#pragma once

#include "pickercolor.h"

#include <QFont>
#include <QRect>

class QPainter;

namespace tavelorn {

// Colours and font of the hot and selected entries of the named-colour list.
struct ItemAppearance
{
    Color borderColor = colorFromHex(0xD3D78D);
    Color borderColorTop = colorFromHex(0xFFFEF4);
    Color borderColorBottom = colorFromHex(0xFFF8CA);
    Color edgeColor = colorFromHex(0xDFD9C3);
    Color colorHot = colorFromHex(0xFDFFD7);
    Color colorHotTo = colorFromHex(0xFCD458);
    Color colorMirrorHot = colorFromHex(0xFCD458);
    Color colorMirrorHotTo = colorFromHex(0xFCF1B3);
    Color colorHotText = colorFromHex(0x000000);
    Color colorSelected = colorFromHex(0xFBFFA6);
    Color colorSelectedTo = colorFromHex(0xF4B904);
    Color colorMirrorSelected = colorFromHex(0xFBC115);
    Color colorMirrorSelectedTo = colorFromHex(0xF9E368);
    Color colorSelectedText = colorFromHex(0x000000);
    Color borderColorHot = kColorNone;
    Color borderColorSelected = kColorNone;
    QFont font = defaultFont();
    Color fontColor = kColorWindowText;

    // "Tahoma" with an 11-pixel character height.
    static QFont defaultFont();
};

struct GlossyColors
{
    Color top, topTo, mirror, mirrorTo;
    Color border, borderTop, borderBottom, edge;
};

// An Office 2007 style bar: a glossy upper half over a mirrored lower half, in a frame
// with softened corners and light inner lines.
void paintGlossyBar(QPainter& p, const QRect& r, const GlossyColors& c);

// Vertical gradient from top colour to bottom colour filling r.
void fillVerticalGradient(QPainter& p, const QRect& r, const QColor& from, const QColor& to);

} // namespace tavelorn
