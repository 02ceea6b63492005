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

namespace tavelorn {

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
    const QString shown = stripMnemonics(text, &underlinePos);
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

void applyAutoSize(PictureText& e)
{
    // Fonts can be measured only under a GUI application.
    if (!e.autoSize || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    const QFont font = pictureQFont(e.font);
    QString measured = e.text;
    // An empty element keeps the width of a space and the height of a line.
    if (measured.isEmpty() || measured == QLatin1String("&"))
        measured += u' ';
    const QFontMetrics fm(font);
    const int width = layoutLine(measured, font).width;
    if (e.alignment == Alignment::Right)
        e.left = e.left + e.width - width;
    e.width = width;
    e.height = fm.ascent() + fm.descent();
}

PictureText makeText(int left, int top, int width, int height, int fontHeight, bool bold,
                     Color color, Alignment alignment, bool autoSize, bool visible,
                     const QString& text = QString())
{
    PictureText e;
    e.left = left;
    e.top = top;
    e.width = width;
    e.height = height;
    e.text = text;
    e.font.height = fontHeight;
    e.font.bold = bold;
    e.font.color = color;
    e.alignment = alignment;
    e.autoSize = autoSize;
    e.visible = visible;
    return e;
}

void paintText(QPainter& painter, const PictureText& e)
{
    if (!e.visible || e.text.isEmpty() || e.width <= 0 || e.height <= 0)
        return;
    const QFont font = pictureQFont(e.font);
    const LineLayout layout = layoutLine(e.text, font);
    if (layout.runs.empty())
        return;
    int x0 = e.left;
    if (e.alignment == Alignment::Right)
        x0 = e.left + e.width - layout.width;
    else if (e.alignment == Alignment::Center)
        x0 = e.left + (e.width - layout.width) / 2;
    const QFontMetrics fm(font);
    const int baseline = e.top + fm.ascent();

    painter.save();
    painter.setClipRect(QRect(e.left, e.top, e.width, e.height));
    painter.setPen(toQColor(e.font.color));
    QFont underlined = font;
    underlined.setUnderline(true);
    for (const Run& run : layout.runs) {
        painter.setFont(run.underline ? underlined : font);
        painter.drawText(QPoint(x0 + run.x, baseline), run.text);
    }
    painter.restore();
}

void paintImage(QPainter& painter, const PictureImage& img)
{
    if (!img.graphic)
        return;
    const QSize natural = img.graphic->size();
    if (natural.width() <= 0 || natural.height() <= 0)
        return;
    const QRect box(img.left, img.top, img.width, img.height);
    QRect dest;
    if (img.stretch) {
        dest = box;
    } else {
        dest = QRect(box.topLeft(), natural);
        // Integer division truncates toward zero, as the placement rule wants.
        if (img.center)
            dest.translate((img.width - natural.width()) / 2, (img.height - natural.height()) / 2);
    }
    painter.save();
    painter.setClipRect(box);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    img.graphic->draw(painter, dest);
    painter.restore();
}

void paintBorder(QPainter& painter, const PictureBorder& border)
{
    const int w = std::clamp(border.width, 0, 10);
    if (!border.visible || w <= 0)
        return;
    const QColor c = toQColor(border.color);
    // Square outer corners: the band is exactly w pixels along each edge.
    painter.fillRect(0, 0, kPictureWidth, w, c);
    painter.fillRect(0, kPictureHeight - w, kPictureWidth, w, c);
    painter.fillRect(0, 0, w, kPictureHeight, c);
    painter.fillRect(kPictureWidth - w, 0, w, kPictureHeight, c);
}

void setTrimmedLine(PictureText& e, const QString& text)
{
    setPictureText(e, trimText(text));
    e.visible = !e.text.isEmpty();
}

} // namespace

PictureModel::PictureModel()
{
    using enum Alignment;
    // The auto-size elements start with the sizes that the picture face measures for
    // their start texts. They are measured when their text or font is first set: the
    // empty start picture draws no text, so a start loads no face.
    systemTitle = makeText(15, 10, 7, 36, 29, true, kColorWindowText, Left, true, true);
    sid = makeText(361, 40, 75, 39, 32, true, kColorWindowText, Center, false, true);
    landscapeType = makeText(355 - 7, 40, 7, 39, 32, false, kColorWindowText, Right, true, true);
    usage1 = makeText(15, 70, 5, 29, 24, false, kColorWindowText, Left, true, false);
    info1 = makeText(0, 490, 450, 19, 16, false, kColorRed, Center, false, false);
    info2 = makeText(0, 510, 450, 19, 16, false, kColorRed, Center, false, false);
    info3 = makeText(0, 530, 450, 19, 16, false, kColorRed, Center, false, false);
    refresh = makeText(15, 560, 67, 23, 19, true, kColorWindowText, Left, true, false,
                       QStringLiteral("Refresh:"));
    refreshDate = makeText(92, 560, 4, 23, 19, false, kColorWindowText, Left, true, false);
    usage2 = makeText(15, 100, 5, 29, 24, false, kColorWindowText, Left, true, false);
}

QFont pictureQFont(const PictureFont& f)
{
    QString family = f.name;
    // Carlito has Calibri's metrics; fontconfig's own alias is not relied upon. The
    // installed faces do not change while the program runs.
    static const bool hasCalibri = QFontDatabase::hasFamily(kCalibri);
    if (!hasCalibri && family.compare(kCalibri, Qt::CaseInsensitive) == 0)
        family = kCarlito;
    QFont font(family);
    font.setPixelSize(std::max(1, f.height));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    // Full hinting gives whole-pixel advances, so measured widths do not depend on
    // sub-pixel positions; no sub-pixel anti-aliasing keeps the pixels independent of
    // the screen's settings.
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    return font;
}

bool pictureFaceAvailable()
{
    return QFontDatabase::hasFamily(kCalibri) || QFontDatabase::hasFamily(kCarlito);
}

QString stripMnemonics(const QString& text, int* underlinePos)
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

void setPictureText(PictureText& element, const QString& text)
{
    element.text = text;
    applyAutoSize(element);
}

void setPictureFont(PictureText& element, const PictureFont& font)
{
    element.font = font;
    applyAutoSize(element);
}

QColor toQColor(Color c)
{
    const Color plain = defaultSchemeColor(c);
    return QColor(colorRed(plain), colorGreen(plain), colorBlue(plain));
}

void renderPicture(const PictureModel& p, QImage& target)
{
    if (target.size() != QSize(kPictureWidth, kPictureHeight) ||
        target.format() != QImage::Format_RGB32)
        target = QImage(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    paintText(painter, p.systemTitle);
    paintText(painter, p.sid);
    paintText(painter, p.landscapeType);
    if (p.background.graphic)
        paintImage(painter, p.background);
    paintText(painter, p.usage1);
    paintText(painter, p.info1);
    paintText(painter, p.info2);
    paintText(painter, p.info3);
    paintText(painter, p.refresh);
    paintText(painter, p.refreshDate);
    paintText(painter, p.usage2);
    paintBorder(painter, p.border);
}

void setSystemTitle(PictureModel& picture, const QString& title)
{
    setPictureText(picture.systemTitle, title);
}

void setSid(PictureModel& picture, const QString& sid)
{
    setPictureText(picture.sid, sid);
}

void setLandscapeType(PictureModel& picture, const QString& position, Color color)
{
    setPictureText(picture.landscapeType, position);
    picture.landscapeType.font.color = color;
    picture.sid.font.color = color;
    picture.usage2.font.color = color;
}

void setUsage1(PictureModel& picture, const QString& text)
{
    setTrimmedLine(picture.usage1, text);
}

void setUsage2(PictureModel& picture, const QString& text)
{
    setTrimmedLine(picture.usage2, text);
}

void setInfo1(PictureModel& picture, const QString& text)
{
    setTrimmedLine(picture.info1, text);
}

void setInfo2(PictureModel& picture, const QString& text)
{
    setTrimmedLine(picture.info2, text);
}

void setInfo3(PictureModel& picture, const QString& text)
{
    setTrimmedLine(picture.info3, text);
}

void setBorderWidth(PictureModel& picture, int width)
{
    picture.border.width = std::clamp(width, 0, 10);
    picture.border.visible = picture.border.width > 0;
}

void setPictureCenter(PictureModel& picture, bool checked)
{
    picture.background.center = checked;
}

void setPictureStretch(PictureModel& picture, bool checked)
{
    picture.background.stretch = checked;
}

QString refreshShortText(SerialDate date, const QString& source)
{
    QString text = formatShortDate(date);
    const QString s = trimText(source);
    if (!s.isEmpty())
        text += QStringLiteral("  (") + s + u')';
    return text;
}

QString refreshFullText(SerialDate date, const QString& source, const QString& comment)
{
    QString text = refreshShortText(date, source);
    if (!trimText(comment).isEmpty())
        text += QStringLiteral(" - ") + comment;
    return text;
}

void showRefreshLine(PictureModel& picture, bool shown, SerialDate date, const QString& source)
{
    picture.refresh.visible = shown;
    setPictureText(picture.refreshDate, refreshShortText(date, source));
    picture.refreshDate.visible = shown;
}

void setRefreshLine(PictureModel& picture, SerialDate date, const QString& source,
                    const QString& comment)
{
    setPictureText(picture.refreshDate, refreshFullText(date, source, comment));
}

void setBackgroundPicture(PictureModel& picture, GraphicPtr graphic)
{
    picture.background.graphic = std::move(graphic);
}

PictureText* infoLineElement(PictureModel& picture, int line)
{
    switch (line) {
    case 1:
        return &picture.info1;
    case 2:
        return &picture.info2;
    case 3:
        return &picture.info3;
    default:
        return nullptr;
    }
}

void setInfoLineFont(PictureModel& picture, int line, const PictureFont& font)
{
    if (PictureText* e = infoLineElement(picture, line))
        setPictureFont(*e, font);
}

void setInfoLineAlignment(PictureModel& picture, int line, Alignment alignment)
{
    if (PictureText* e = infoLineElement(picture, line))
        e->alignment = alignment;
}

} // namespace tavelorn
