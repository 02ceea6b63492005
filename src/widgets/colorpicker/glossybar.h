#pragma once

#include "pickercolor.h"

#include <QFont>
#include <QRect>

class QPainter;

// Colours and font of the hot and selected entries of the named-colour list.
struct TItemAppearance
{
    tavelorn::Color BorderColor = tavelorn::colorFromHex(0xD3D78D);
    tavelorn::Color BorderColorTop = tavelorn::colorFromHex(0xFFFEF4);
    tavelorn::Color BorderColorBottom = tavelorn::colorFromHex(0xFFF8CA);
    tavelorn::Color EdgeColor = tavelorn::colorFromHex(0xDFD9C3);
    tavelorn::Color ColorHot = tavelorn::colorFromHex(0xFDFFD7);
    tavelorn::Color ColorHotTo = tavelorn::colorFromHex(0xFCD458);
    tavelorn::Color ColorMirrorHot = tavelorn::colorFromHex(0xFCD458);
    tavelorn::Color ColorMirrorHotTo = tavelorn::colorFromHex(0xFCF1B3);
    tavelorn::Color ColorHotText = tavelorn::colorFromHex(0x000000);
    tavelorn::Color ColorSelected = tavelorn::colorFromHex(0xFBFFA6);
    tavelorn::Color ColorSelectedTo = tavelorn::colorFromHex(0xF4B904);
    tavelorn::Color ColorMirrorSelected = tavelorn::colorFromHex(0xFBC115);
    tavelorn::Color ColorMirrorSelectedTo = tavelorn::colorFromHex(0xF9E368);
    tavelorn::Color ColorSelectedText = tavelorn::colorFromHex(0x000000);
    tavelorn::Color BorderColorHot = tavelorn::kColorNone;
    tavelorn::Color BorderColorSelected = tavelorn::kColorNone;
    QFont Font = defaultFont();
    tavelorn::Color FontColor = tavelorn::kColorWindowText;

    // "Tahoma" with an 11-pixel character height.
    static QFont defaultFont();
};

struct TGlossyColors
{
    tavelorn::Color Top, TopTo, Mirror, MirrorTo;
    tavelorn::Color Border, BorderTop, BorderBottom, Edge;
};

// An Office 2007 style bar: a glossy upper half over a mirrored lower half, in a frame
// with softened corners and light inner lines.
void paintGlossyBar(QPainter& p, const QRect& r, const TGlossyColors& c);

// Vertical gradient from top colour to bottom colour filling r.
void fillVerticalGradient(QPainter& p, const QRect& r, const QColor& from, const QColor& to);
