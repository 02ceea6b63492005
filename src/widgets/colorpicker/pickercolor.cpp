#include "pickercolor.h"

#include <QApplication>
#include <QPalette>

namespace ColorPicker {

namespace {

// The classic scheme value of system colours the palette has no role for.
TColor classicColor(int index)
{
    switch (index) {
    case 0:
        return rgb(0xC8, 0xC8, 0xC8);
    case 1:
        return rgb(0x00, 0x00, 0x00);
    case 2:
        return rgb(0x99, 0xB4, 0xD1);
    case 3:
        return rgb(0xBF, 0xCD, 0xDB);
    case 6:
        return rgb(0x64, 0x64, 0x64);
    case 9:
        return rgb(0x00, 0x00, 0x00);
    case 10:
        return rgb(0xB4, 0xB4, 0xB4);
    case 11:
        return rgb(0xF4, 0xF7, 0xFC);
    case 12:
        return rgb(0xAB, 0xAB, 0xAB);
    case 19:
        return rgb(0x43, 0x4E, 0x54);
    default:
        return rgb(0x00, 0x00, 0x00);
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
        q = pal.color(QPalette::WindowText);
        break;
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
