#pragma once

#include "colorvalue.h"
#include "datetime.h"
#include "graphic.h"
#include "systeminfo.h"

#include <QString>

class QColor;
class QFont;
class QImage;

namespace tavelorn {

constexpr int kPictureWidth = 450;
constexpr int kPictureHeight = 600;

// A text element's font. Height is the em size in pixels (no internal leading).
struct PictureFont
{
    QString name = QStringLiteral("Calibri");
    int height = 16;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    Color color = kColorWindowText;
    int charset = 0;

    bool operator==(const PictureFont&) const = default;
};

enum class Alignment
{
    Left,
    Right,
    Center
};

// One label of the picture. With AutoSize the box follows the text (a right-aligned
// element keeps its right edge); without it the box is fixed.
struct PictureText
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    QString text;
    PictureFont font;
    Alignment alignment = Alignment::Left;
    bool autoSize = false;
    bool visible = true;

    bool operator==(const PictureText&) const = default;
};

// The background picture band.
struct PictureImage
{
    int left = 0;
    int top = 140;
    int width = 450;
    int height = 350;
    GraphicPtr graphic; // none when null
    bool center = false;
    bool stretch = false;
};

// The frame round the canvas: a band Width pixels wide inside each edge.
struct PictureBorder
{
    int width = 1;
    Color color = kColorBlack;
    bool visible = true;
};

// The picture model: twelve elements, declared in paint order. A default-constructed
// model is the start state (empty texts, usage/information/refresh lines hidden, no
// background picture, a one-pixel border). Measuring texts needs a QGuiApplication.
struct PictureModel
{
    PictureModel();

    PictureText systemTitle;
    PictureText sid;
    PictureText landscapeType;
    PictureImage background;
    PictureText usage1;
    PictureText info1;
    PictureText info2;
    PictureText info3;
    PictureText refresh;
    PictureText refreshDate;
    PictureText usage2;
    PictureBorder border;
};

// The colour a picture element is painted in: system colours resolve through the classic
// default scheme (defaultSchemeColor), so that the picture never follows the desktop theme.
QColor toQColor(Color c);

// Paints the model into target, which becomes a 450 x 600 RGB32 image. The same model
// always gives the same pixels.
void renderPicture(const PictureModel& picture, QImage& target);

// Text element primitives: setting the text or the font re-applies auto-size at once.
void setPictureText(PictureText& element, const QString& text);
void setPictureFont(PictureText& element, const PictureFont& font);

// The QFont a PictureFont is drawn with ("Calibri" resolves to Carlito where Calibri is
// missing; never to an arbitrary face).
QFont pictureQFont(const PictureFont& font);
// Whether "Calibri" or Carlito is installed.
bool pictureFaceAvailable();

// The text as drawn: single "&" removed, "&&" turned into "&". underlinePos receives the
// index (in the result) of the character marked by a mnemonic, or -1.
QString stripMnemonics(const QString& text, int* underlinePos = nullptr);

// The model operations: what each editing control does to the picture when it changes.
// Texts of the usage and information lines are trimmed; an empty one hides its line.
void setSystemTitle(PictureModel& picture, const QString& title);
void setSid(PictureModel& picture, const QString& sid);
// color: landscapeTypeColor of the position (black when it has none).
void setLandscapeType(PictureModel& picture, const QString& position, Color color);
void setUsage1(PictureModel& picture, const QString& text);
void setUsage2(PictureModel& picture, const QString& text);
void setInfo1(PictureModel& picture, const QString& text);
void setInfo2(PictureModel& picture, const QString& text);
void setInfo3(PictureModel& picture, const QString& text);
// width: the border spinner's position (clamped to 0..10).
void setBorderWidth(PictureModel& picture, int width);
void setPictureCenter(PictureModel& picture, bool checked);
void setPictureStretch(PictureModel& picture, bool checked);
// Shows or hides the refresh line; shown, it holds the short text of date and source.
void showRefreshLine(PictureModel& picture, bool shown, SerialDate date, const QString& source);
// The full refresh text: date, source system and comment.
void setRefreshLine(PictureModel& picture, SerialDate date, const QString& source,
                    const QString& comment);
// The background picture (null for none).
void setBackgroundPicture(PictureModel& picture, GraphicPtr graphic);

// The refresh line texts: the short one of the check box, the full one of a change.
QString refreshShortText(SerialDate date, const QString& source);
QString refreshFullText(SerialDate date, const QString& source, const QString& comment);

// Information line 1..3 (null for any other number) and its font and alignment, as the
// information line menu sets them; other line numbers do nothing. The box never changes.
PictureText* infoLineElement(PictureModel& picture, int line);
void setInfoLineFont(PictureModel& picture, int line, const PictureFont& font);
void setInfoLineAlignment(PictureModel& picture, int line, Alignment alignment);

} // namespace tavelorn
