#include "picture.h"

#include "text.h"

#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace {

const QString kCalibri = QStringLiteral("Calibri");
const QString kCarlito = QStringLiteral("Carlito");

// One piece of a laid-out line: text drawn from x, underlined when it is the mnemonic.
struct Run
{
    int x = 0;
    QString text;
    bool underline = false;
};

struct LineLayout
{
    std::vector<Run> runs;
    int width = 0;
};

// Lays out one line as drawn: mnemonics resolved, tabs advanced to the next multiple of
// eight average character widths. Measuring and drawing share it so that auto-size
// boxes fit exactly what is painted.
LineLayout layoutLine(const QString& text, const QFont& font)
{
    LineLayout layout;
    int underlinePos = -1;
    const QString shown = StripMnemonics(text, &underlinePos);
    const QFontMetrics fm(font);
    const int tabWidth = std::max(1, 8 * fm.averageCharWidth());
    QFont underlined = font;
    underlined.setUnderline(true);
    const QFontMetrics fmUnderlined(underlined);

    int x = 0;
    qsizetype start = 0;
    auto flush = [&](qsizetype end) {
        if (end > start) {
            const QString piece = shown.mid(start, end - start);
            layout.runs.push_back({x, piece, false});
            x += fm.horizontalAdvance(piece);
        }
    };
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QChar c = shown.at(i);
        if (c == u'\t') {
            flush(i);
            x = (x / tabWidth + 1) * tabWidth;
            start = i + 1;
        } else if (i == underlinePos) {
            flush(i);
            // Surrogate pairs stay whole.
            const qsizetype len = (c.isHighSurrogate() && i + 1 < shown.size()) ? 2 : 1;
            const QString piece = shown.mid(i, len);
            layout.runs.push_back({x, piece, true});
            x += fmUnderlined.horizontalAdvance(piece);
            i += len - 1;
            start = i + 1;
        }
    }
    flush(shown.size());
    layout.width = x;
    return layout;
}

void applyAutoSize(tyPictureText& e)
{
    // Fonts can be measured only under a GUI application.
    if (!e.AutoSize || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    const QFont font = PictureQFont(e.Font);
    QString measured = e.Text;
    // An empty element keeps the width of a space and the height of a line.
    if (measured.isEmpty() || measured == QLatin1String("&"))
        measured += u' ';
    const QFontMetrics fm(font);
    const int width = layoutLine(measured, font).width;
    if (e.Alignment == TAlignment::taRightJustify)
        e.Left = e.Left + e.Width - width;
    e.Width = width;
    e.Height = fm.ascent() + fm.descent();
}

tyPictureText makeText(int left, int top, int width, int height, int fontHeight, bool bold,
                       TColor color, TAlignment alignment, bool autoSize, bool visible,
                       const QString& text = QString())
{
    tyPictureText e;
    e.Left = left;
    e.Top = top;
    e.Width = width;
    e.Height = height;
    e.Text = text;
    e.Font.Height = fontHeight;
    e.Font.Bold = bold;
    e.Font.Color = color;
    e.Alignment = alignment;
    e.AutoSize = autoSize;
    e.Visible = visible;
    return e;
}

void paintText(QPainter& painter, const tyPictureText& e)
{
    if (!e.Visible || e.Text.isEmpty() || e.Width <= 0 || e.Height <= 0)
        return;
    const QFont font = PictureQFont(e.Font);
    const LineLayout layout = layoutLine(e.Text, font);
    if (layout.runs.empty())
        return;
    int x0 = e.Left;
    if (e.Alignment == TAlignment::taRightJustify)
        x0 = e.Left + e.Width - layout.width;
    else if (e.Alignment == TAlignment::taCenter)
        x0 = e.Left + (e.Width - layout.width) / 2;
    const QFontMetrics fm(font);
    const int baseline = e.Top + fm.ascent();

    painter.save();
    painter.setClipRect(QRect(e.Left, e.Top, e.Width, e.Height));
    painter.setPen(toQColor(e.Font.Color));
    QFont underlined = font;
    underlined.setUnderline(true);
    for (const Run& run : layout.runs) {
        painter.setFont(run.underline ? underlined : font);
        painter.drawText(QPoint(x0 + run.x, baseline), run.text);
    }
    painter.restore();
}

void paintImage(QPainter& painter, const tyPictureImage& img)
{
    if (!img.Picture)
        return;
    const QSize natural = img.Picture->size();
    if (natural.width() <= 0 || natural.height() <= 0)
        return;
    const QRect box(img.Left, img.Top, img.Width, img.Height);
    QRect dest;
    if (img.Stretch) {
        dest = box;
    } else {
        dest = QRect(box.topLeft(), natural);
        // Integer division truncates toward zero, as the placement rule wants.
        if (img.Center)
            dest.translate((img.Width - natural.width()) / 2, (img.Height - natural.height()) / 2);
    }
    painter.save();
    painter.setClipRect(box);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    img.Picture->draw(painter, dest);
    painter.restore();
}

void paintBorder(QPainter& painter, const tyPictureBorder& border)
{
    const int w = std::clamp(border.Width, 0, 10);
    if (!border.Visible || w <= 0)
        return;
    const QColor c = toQColor(border.Color);
    // Square outer corners: the band is exactly w pixels along each edge.
    painter.fillRect(0, 0, PictureWidth, w, c);
    painter.fillRect(0, PictureHeight - w, PictureWidth, w, c);
    painter.fillRect(0, 0, w, PictureHeight, c);
    painter.fillRect(PictureWidth - w, 0, w, PictureHeight, c);
}

void setTrimmedLine(tyPictureText& e, const QString& text)
{
    SetPictureText(e, trimText(text));
    e.Visible = !e.Text.isEmpty();
}

} // namespace

tyPicture::tyPicture()
{
    constexpr auto L = TAlignment::taLeftJustify;
    constexpr auto R = TAlignment::taRightJustify;
    constexpr auto C = TAlignment::taCenter;
    // The auto-size elements start with the sizes that the picture face measures for
    // their start texts. They are measured when their text or font is first set: the
    // empty start picture draws no text, so a start loads no face.
    lblSystemTitle = makeText(15, 10, 7, 36, 29, true, clWindowText, L, true, true);
    lblSID = makeText(361, 40, 75, 39, 32, true, clWindowText, C, false, true);
    lblLandscapeType = makeText(355 - 7, 40, 7, 39, 32, false, clWindowText, R, true, true);
    lblUsage1 = makeText(15, 70, 5, 29, 24, false, clWindowText, L, true, false);
    lblInfo1 = makeText(0, 490, 450, 19, 16, false, clRed, C, false, false);
    lblInfo2 = makeText(0, 510, 450, 19, 16, false, clRed, C, false, false);
    lblInfo3 = makeText(0, 530, 450, 19, 16, false, clRed, C, false, false);
    lblRefresh = makeText(15, 560, 67, 23, 19, true, clWindowText, L, true, false,
                          QStringLiteral("Refresh:"));
    lblRefreshDate = makeText(92, 560, 4, 23, 19, false, clWindowText, L, true, false);
    lblUsage2 = makeText(15, 100, 5, 29, 24, false, clWindowText, L, true, false);
}

QFont PictureQFont(const tyFont& f)
{
    QString family = f.Name;
    // Carlito has Calibri's metrics; fontconfig's own alias is not relied upon. The
    // installed faces do not change while the program runs.
    static const bool hasCalibri = QFontDatabase::hasFamily(kCalibri);
    if (!hasCalibri && family.compare(kCalibri, Qt::CaseInsensitive) == 0)
        family = kCarlito;
    QFont font(family);
    font.setPixelSize(std::max(1, f.Height));
    font.setBold(f.Bold);
    font.setItalic(f.Italic);
    font.setUnderline(f.Underline);
    font.setStrikeOut(f.StrikeOut);
    // Full hinting gives whole-pixel advances, so measured widths do not depend on
    // sub-pixel positions; no sub-pixel anti-aliasing keeps the pixels independent of
    // the screen's settings.
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    return font;
}

bool PictureFaceAvailable()
{
    return QFontDatabase::hasFamily(kCalibri) || QFontDatabase::hasFamily(kCarlito);
}

QString StripMnemonics(const QString& text, int* underlinePos)
{
    QString out;
    out.reserve(text.size());
    int marked = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'&') {
            out += c;
            continue;
        }
        if (i + 1 >= text.size())
            break; // a trailing single "&" draws nothing
        const QChar next = text.at(i + 1);
        if (next == u'&') {
            out += u'&';
        } else {
            // The last mnemonic wins, as with the platform's labels.
            marked = int(out.size());
            out += next;
        }
        ++i;
    }
    if (underlinePos)
        *underlinePos = marked;
    return out;
}

void SetPictureText(tyPictureText& element, const QString& text)
{
    element.Text = text;
    applyAutoSize(element);
}

void SetPictureFont(tyPictureText& element, const tyFont& font)
{
    element.Font = font;
    applyAutoSize(element);
}

QColor toQColor(TColor c)
{
    const TColor plain = defaultSchemeColor(c);
    return QColor(colorRed(plain), colorGreen(plain), colorBlue(plain));
}

void RenderPicture(const tyPicture& p, QImage& target)
{
    if (target.size() != QSize(PictureWidth, PictureHeight) ||
        target.format() != QImage::Format_RGB32)
        target = QImage(PictureWidth, PictureHeight, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    paintText(painter, p.lblSystemTitle);
    paintText(painter, p.lblSID);
    paintText(painter, p.lblLandscapeType);
    if (p.imgPicture.Picture)
        paintImage(painter, p.imgPicture);
    paintText(painter, p.lblUsage1);
    paintText(painter, p.lblInfo1);
    paintText(painter, p.lblInfo2);
    paintText(painter, p.lblInfo3);
    paintText(painter, p.lblRefresh);
    paintText(painter, p.lblRefreshDate);
    paintText(painter, p.lblUsage2);
    paintBorder(painter, p.shpBorder);
}

void SetSystemTitle(tyPicture& picture, const QString& title)
{
    SetPictureText(picture.lblSystemTitle, title);
}

void SetSID(tyPicture& picture, const QString& sid)
{
    SetPictureText(picture.lblSID, sid);
}

void SetLandscapeType(tyPicture& picture, const QString& position, TColor color)
{
    SetPictureText(picture.lblLandscapeType, position);
    picture.lblLandscapeType.Font.Color = color;
    picture.lblSID.Font.Color = color;
    picture.lblUsage2.Font.Color = color;
}

void SetUsage1(tyPicture& picture, const QString& text)
{
    setTrimmedLine(picture.lblUsage1, text);
}

void SetUsage2(tyPicture& picture, const QString& text)
{
    setTrimmedLine(picture.lblUsage2, text);
}

void SetInfo1(tyPicture& picture, const QString& text)
{
    setTrimmedLine(picture.lblInfo1, text);
}

void SetInfo2(tyPicture& picture, const QString& text)
{
    setTrimmedLine(picture.lblInfo2, text);
}

void SetInfo3(tyPicture& picture, const QString& text)
{
    setTrimmedLine(picture.lblInfo3, text);
}

void SetBorderWidth(tyPicture& picture, int width)
{
    picture.shpBorder.Width = std::clamp(width, 0, 10);
    picture.shpBorder.Visible = picture.shpBorder.Width > 0;
}

void SetPictureCenter(tyPicture& picture, bool checked)
{
    picture.imgPicture.Center = checked;
}

void SetPictureStretch(tyPicture& picture, bool checked)
{
    picture.imgPicture.Stretch = checked;
}

QString RefreshShortText(TDateTime date, const QString& source)
{
    QString text = formatShortDate(date);
    const QString s = trimText(source);
    if (!s.isEmpty())
        text += QStringLiteral("  (") + s + u')';
    return text;
}

QString RefreshFullText(TDateTime date, const QString& source, const QString& comment)
{
    QString text = RefreshShortText(date, source);
    if (!trimText(comment).isEmpty())
        text += QStringLiteral(" - ") + comment;
    return text;
}

void ShowRefreshLine(tyPicture& picture, bool shown, TDateTime date, const QString& source)
{
    picture.lblRefresh.Visible = shown;
    SetPictureText(picture.lblRefreshDate, RefreshShortText(date, source));
    picture.lblRefreshDate.Visible = shown;
}

void SetRefreshLine(tyPicture& picture, TDateTime date, const QString& source,
                    const QString& comment)
{
    SetPictureText(picture.lblRefreshDate, RefreshFullText(date, source, comment));
}

void SetBackgroundPicture(tyPicture& picture, TGraphicPtr graphic)
{
    picture.imgPicture.Picture = std::move(graphic);
}

tyPictureText* InfoLine(tyPicture& picture, int line)
{
    switch (line) {
    case 1:
        return &picture.lblInfo1;
    case 2:
        return &picture.lblInfo2;
    case 3:
        return &picture.lblInfo3;
    default:
        return nullptr;
    }
}

void SetInfoLineFont(tyPicture& picture, int line, const tyFont& font)
{
    if (tyPictureText* e = InfoLine(picture, line))
        SetPictureFont(*e, font);
}

void SetInfoLineAlignment(tyPicture& picture, int line, TAlignment alignment)
{
    if (tyPictureText* e = InfoLine(picture, line))
        e->Alignment = alignment;
}
