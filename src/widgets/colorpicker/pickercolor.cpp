#include "pickercolor.h"

#include <QApplication>
#include <QPalette>

namespace tavelorn {

Color toRgbColor(Color c, const QPalette& pal)
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
        return defaultSchemeColor(c);
    }
    return fromQColor(q);
}

QColor textQColor(Color text, Color background, const QPalette* palette)
{
    if (text == kColorNone)
        return {};
    const Color v =
        isSystemColor(background) ? toRgbColor(text, palette) : defaultSchemeColor(text);
    return QColor(colorRed(v), colorGreen(v), colorBlue(v));
}

Color toRgbColor(Color c, const QPalette* palette)
{
    if (!isSystemColor(c))
        return c;
    return toRgbColor(c, palette ? *palette : QApplication::palette());
}

QColor paletteQColor(Color c, const QPalette* palette)
{
    if (c == kColorNone)
        return {};
    const Color v = toRgbColor(c, palette);
    return QColor(colorRed(v), colorGreen(v), colorBlue(v));
}

Color fromQColor(const QColor& c)
{
    if (!c.isValid())
        return kColorNone;
    const QColor q = c.toRgb();
    return makeColor(q.red(), q.green(), q.blue());
}

QString accessibleColorText(Color c, const QPalette& palette)
{
    return c == kColorNone ? QString() : colorToHtml(toRgbColor(c, palette));
}

QString colorToHtml(Color c)
{
    const Color v = toRgbColor(c);
    return QStringLiteral("#%1%2%3")
        .arg(colorRed(v), 2, 16, QLatin1Char('0'))
        .arg(colorGreen(v), 2, 16, QLatin1Char('0'))
        .arg(colorBlue(v), 2, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace tavelorn
