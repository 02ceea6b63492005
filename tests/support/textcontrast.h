#pragma once

// Contrast of painted text, measured on rendered pixels as WCAG 2 measures it, and the
// desktop palettes the widget tests render under.

#include <QImage>
#include <QPalette>
#include <QRect>

#include <algorithm>
#include <cmath>
#include <functional>

// The WCAG threshold for body text (level AA).
inline constexpr double kMinTextContrast = 4.5;

inline double relativeLuminance(QRgb c)
{
    const auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

inline double contrastRatio(QRgb a, QRgb b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct TextContrast
{
    int glyphPixels = 0; // pixels the text changed; 0 means no text was found
    QRgb text = 0;       // the text's colour: the core of its strokes
    double ratio = 0;    // against the least favourable pixel behind the text
};

// withText and behind show the same place with and without the text. The glyphs are
// the pixels that differ; the text colour is the glyph pixel that stands out most from
// what lies behind it (a stroke's core rather than an antialiased edge), and the ratio
// is that colour against the pixel behind the glyphs that it stands out least from.
inline TextContrast measureTextContrast(const QImage& withText, const QImage& behind,
                                        const QRect& area)
{
    TextContrast result;
    const QRect r = area & withText.rect() & behind.rect();
    double best = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb t = withText.pixel(x, y) | 0xFF000000u;
            const QRgb b = behind.pixel(x, y) | 0xFF000000u;
            if (t == b)
                continue;
            ++result.glyphPixels;
            const double c = contrastRatio(t, b);
            if (c > best) {
                best = c;
                result.text = t;
            }
        }
    if (result.glyphPixels == 0)
        return result;
    result.ratio = best;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((withText.pixel(x, y) | 0xFF000000u) != (behind.pixel(x, y) | 0xFF000000u))
                result.ratio =
                    std::min(result.ratio, contrastRatio(result.text, behind.pixel(x, y)));
    return result;
}

// What lies behind text on a background that is the same along each row (a plain fill
// or a vertical gradient): each row of area repeated from the pixel at column clearX,
// where no glyph reaches.
inline QImage rowBackground(const QImage& image, const QRect& area, int clearX)
{
    QImage out = image.copy();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const QRgb c = image.pixel(clearX, y);
        for (int x = area.left(); x <= area.right(); ++x)
            out.setPixel(x, y, c);
    }
    return out;
}

// A dark desktop palette of the kind qt6ct's darker scheme gives: light text on dark
// windows and fields.
inline QPalette darkDesktopPalette()
{
    QPalette p;
    const auto set = [&p](QPalette::ColorRole role, QRgb active, QRgb disabled) {
        p.setColor(QPalette::Active, role, QColor(active));
        p.setColor(QPalette::Inactive, role, QColor(active));
        p.setColor(QPalette::Disabled, role, QColor(disabled));
    };
    set(QPalette::WindowText, 0xFFFFFF, 0x808080);
    set(QPalette::Button, 0x424242, 0x424242);
    set(QPalette::Light, 0x979797, 0x979797);
    set(QPalette::Midlight, 0x5E5C5B, 0x5E5C5B);
    set(QPalette::Dark, 0x303030, 0x303030);
    set(QPalette::Mid, 0x4A4A4A, 0x4A4A4A);
    set(QPalette::Text, 0xFFFFFF, 0x808080);
    set(QPalette::BrightText, 0xFFFFFF, 0xFFFFFF);
    set(QPalette::ButtonText, 0xFFFFFF, 0x808080);
    set(QPalette::Base, 0x3D3D3D, 0x3D3D3D);
    set(QPalette::Window, 0x222020, 0x222020);
    set(QPalette::Shadow, 0x000000, 0x000000);
    set(QPalette::Highlight, 0x12608A, 0x12608A);
    set(QPalette::HighlightedText, 0xF9F9F9, 0x808080);
    set(QPalette::Link, 0x0986D3, 0x0986D3);
    set(QPalette::LinkVisited, 0xA70B06, 0xA70B06);
    set(QPalette::AlternateBase, 0x5C5B5A, 0x5C5B5A);
    set(QPalette::ToolTipBase, 0x3F3D3D, 0x3F3D3D);
    set(QPalette::ToolTipText, 0xFFFFFF, 0xFFFFFF);
    set(QPalette::PlaceholderText, 0xBBBBBB, 0x808080);
    return p;
}

// The palettes a contrast test runs under: the style's own light one and a dark one.
struct DesktopScheme
{
    const char* name;
    std::function<QPalette(const QPalette& light)> make;
};

inline const DesktopScheme kDesktopSchemes[] = {
    {"light", [](const QPalette& light) { return light; }},
    {"dark", [](const QPalette&) { return darkDesktopPalette(); }},
};
