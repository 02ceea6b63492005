#include "pickercolor.h"

#include <QApplication>
#include <QPalette>

namespace ColorPicker {

namespace {

// The classic desktop scheme's value of each system colour.
TColor classicColor(int index)
{
    switch (index) {
    case 0:
        return rgb(0xC8, 0xC8, 0xC8); // scroll bar
    case 2:
        return rgb(0x99, 0xB4, 0xD1); // active caption
    case 3:
        return rgb(0xBF, 0xCD, 0xDB); // inactive caption
    case 4:
    case 15:
        return rgb(0xF0, 0xF0, 0xF0); // menu, button face
    case 5:
    case 14:
    case 20:
        return rgb(0xFF, 0xFF, 0xFF); // window, highlight text, button highlight
    case 6:
        return rgb(0x64, 0x64, 0x64); // window frame
    case 10:
        return rgb(0xB4, 0xB4, 0xB4); // active border
    case 11:
        return rgb(0xF4, 0xF7, 0xFC); // inactive border
    case 12:
        return rgb(0xAB, 0xAB, 0xAB); // application workspace
    case 13:
        return rgb(0x33, 0x99, 0xFF); // highlight
    case 16:
        return rgb(0xA0, 0xA0, 0xA0); // button shadow
    case 17:
        return rgb(0x6D, 0x6D, 0x6D); // grey text
    case 19:
        return rgb(0x43, 0x4E, 0x54); // inactive caption text
    case 21:
        return rgb(0x69, 0x69, 0x69); // 3D dark shadow
    case 22:
        return rgb(0xE3, 0xE3, 0xE3); // 3D light
    case 24:
        return rgb(0xFF, 0xFF, 0xE1); // tooltip background
    default:
        return rgb(0x00, 0x00, 0x00); // the text colours, the desktop background
    }
}

} // namespace

TColor colorToRGB(TColor c, const QPalette& pal)
{
    if (!isSystemColor(c))
        return c;
    QColor q;
    switch (c & 0xFF) {
    case 4:
        q = pal.color(QPalette::Window);
        break;
    case 5:
        q = pal.color(QPalette::Base);
        break;
    case 7:
    case 8:
        q = pal.color(QPalette::WindowText);
        break;
    case 13:
        q = pal.color(QPalette::Highlight);
        break;
    case 14:
        q = pal.color(QPalette::HighlightedText);
        break;
    case 15:
        q = pal.color(QPalette::Button);
        break;
    case 16:
        q = pal.color(QPalette::Mid);
        break;
    case 17:
        q = pal.color(QPalette::Disabled, QPalette::Text);
        break;
    case 18:
        q = pal.color(QPalette::ButtonText);
        break;
    case 20:
        q = pal.color(QPalette::Light);
        break;
    case 21:
        q = pal.color(QPalette::Shadow);
        break;
    case 22:
        q = pal.color(QPalette::Midlight);
        break;
    case 23:
        q = pal.color(QPalette::ToolTipText);
        break;
    case 24:
        q = pal.color(QPalette::ToolTipBase);
        break;
    default:
        return classicColor(c & 0xFF);
    }
    return fromQColor(q);
}

TColor classicColorToRGB(TColor c)
{
    return isSystemColor(c) ? classicColor(c & 0xFF) : c;
}

QColor textQColor(TColor text, TColor background, const QPalette* palette)
{
    if (text == clNone)
        return {};
    const TColor v =
        isSystemColor(background) ? colorToRGB(text, palette) : classicColorToRGB(text);
    return QColor(red(v), green(v), blue(v));
}

TColor colorToRGB(TColor c, const QPalette* palette)
{
    if (!isSystemColor(c))
        return c;
    return colorToRGB(c, palette ? *palette : QApplication::palette());
}

QColor toQColor(TColor c, const QPalette* palette)
{
    if (c == clNone)
        return {};
    const TColor v = colorToRGB(c, palette);
    return QColor(red(v), green(v), blue(v));
}

TColor fromQColor(const QColor& c)
{
    if (!c.isValid())
        return clNone;
    const QColor q = c.toRgb();
    return rgb(q.red(), q.green(), q.blue());
}

QString colorToHtml(TColor c)
{
    const TColor v = colorToRGB(c);
    return QStringLiteral("#%1%2%3")
        .arg(red(v), 2, 16, QLatin1Char('0'))
        .arg(green(v), 2, 16, QLatin1Char('0'))
        .arg(blue(v), 2, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace ColorPicker
