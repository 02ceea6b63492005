#pragma once

#include "colour.h"
#include "datetime.h"
#include "graphic.h"
#include "systeminfo.h"

#include <QString>

class QColor;
class QFont;
class QImage;

constexpr int PictureWidth = 450;
constexpr int PictureHeight = 600;

// A text element's font. Height is the em size in pixels (no internal leading).
struct tyFont
{
    QString Name = QStringLiteral("Calibri");
    int Height = 16;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    TColor Color = clWindowText;
    int Charset = 0;

    bool operator==(const tyFont&) const = default;
};

enum class TAlignment
{
    taLeftJustify,
    taRightJustify,
    taCenter
};

// One label of the picture. With AutoSize the box follows the text (a right-aligned
// element keeps its right edge); without it the box is fixed.
struct tyPictureText
{
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    QString Text;
    tyFont Font;
    TAlignment Alignment = TAlignment::taLeftJustify;
    bool AutoSize = false;
    bool Visible = true;

    bool operator==(const tyPictureText&) const = default;
};

// The background picture band.
struct tyPictureImage
{
    int Left = 0;
    int Top = 140;
    int Width = 450;
    int Height = 350;
    TGraphicPtr Picture; // none when null
    bool Center = false;
    bool Stretch = false;
};

// The frame round the canvas: a band Width pixels wide inside each edge.
struct tyPictureBorder
{
    int Width = 1;
    TColor Color = clBlack;
    bool Visible = true;
};

// The picture model: twelve elements, declared in paint order. A default-constructed
// model is the start state (empty texts, usage/information/refresh lines hidden, no
// background picture, a one-pixel border). Measuring texts needs a QGuiApplication.
struct tyPicture
{
    tyPicture();

    tyPictureText lblSystemTitle;
    tyPictureText lblSID;
    tyPictureText lblLandscapeType;
    tyPictureImage imgPicture;
    tyPictureText lblUsage1;
    tyPictureText lblInfo1;
    tyPictureText lblInfo2;
    tyPictureText lblInfo3;
    tyPictureText lblRefresh;
    tyPictureText lblRefreshDate;
    tyPictureText lblUsage2;
    tyPictureBorder shpBorder;
};

// The colour a picture element is painted in: system colours resolve through the classic
// default scheme (defaultSchemeColor), so that the picture never follows the desktop theme.
QColor toQColor(TColor c);

// Paints the model into target, which becomes a 450 x 600 RGB32 image. The same model
// always gives the same pixels.
void RenderPicture(const tyPicture& picture, QImage& target);

// Text element primitives: setting the text or the font re-applies auto-size at once.
void SetPictureText(tyPictureText& element, const QString& text);
void SetPictureFont(tyPictureText& element, const tyFont& font);

// The QFont a tyFont is drawn with ("Calibri" resolves to Carlito where Calibri is
// missing; never to an arbitrary face).
QFont PictureQFont(const tyFont& font);
// Whether "Calibri" or Carlito is installed.
bool PictureFaceAvailable();

// The text as drawn: single "&" removed, "&&" turned into "&". underlinePos receives the
// index (in the result) of the character marked by a mnemonic, or -1.
QString StripMnemonics(const QString& text, int* underlinePos = nullptr);

// The model operations: what each editing control does to the picture when it changes.
// Texts of the usage and information lines are trimmed; an empty one hides its line.
void SetSystemTitle(tyPicture& picture, const QString& title);
void SetSID(tyPicture& picture, const QString& sid);
// color: GetLandscapeTypeColor of the position (black when it has none).
void SetLandscapeType(tyPicture& picture, const QString& position, TColor color);
void SetUsage1(tyPicture& picture, const QString& text);
void SetUsage2(tyPicture& picture, const QString& text);
void SetInfo1(tyPicture& picture, const QString& text);
void SetInfo2(tyPicture& picture, const QString& text);
void SetInfo3(tyPicture& picture, const QString& text);
// width: the border spinner's position (clamped to 0..10).
void SetBorderWidth(tyPicture& picture, int width);
void SetPictureCenter(tyPicture& picture, bool checked);
void SetPictureStretch(tyPicture& picture, bool checked);
// Shows or hides the refresh line; shown, it holds the short text of date and source.
void ShowRefreshLine(tyPicture& picture, bool shown, TDateTime date, const QString& source);
// The full refresh text: date, source system and comment.
void SetRefreshLine(tyPicture& picture, TDateTime date, const QString& source,
                    const QString& comment);
// The background picture (null for none).
void SetBackgroundPicture(tyPicture& picture, TGraphicPtr graphic);

// The refresh line texts: the short one of the check box, the full one of a change.
QString RefreshShortText(TDateTime date, const QString& source);
QString RefreshFullText(TDateTime date, const QString& source, const QString& comment);

// Information line 1..3 (null for any other number) and its font and alignment, as the
// information line menu sets them; other line numbers do nothing. The box never changes.
tyPictureText* InfoLine(tyPicture& picture, int line);
void SetInfoLineFont(tyPicture& picture, int line, const tyFont& font);
void SetInfoLineAlignment(tyPicture& picture, int line, TAlignment alignment);
