#pragma once

#include "colour.h"
#include "datetime.h"
#include "graphic.h"
#include "systeminfo.h"

#include <QString>

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

// The model operations, one per change handler of the main window, which calls them
// with what its controls hold after the change.
void cbxSystemTitleChange(tyPicture& picture, const QString& title);
void cbxSIDChange(tyPicture& picture, const QString& sid);
// color: GetLandscapeTypeColor of the position (black when it has none).
void cbxLandscapeTypeChange(tyPicture& picture, const QString& position, TColor color);
void ledtUsage1Change(tyPicture& picture, const QString& text);
void ledtUsage2Change(tyPicture& picture, const QString& text);
void ledtInfo1Change(tyPicture& picture, const QString& text);
void ledtInfo2Change(tyPicture& picture, const QString& text);
void ledtInfo3Change(tyPicture& picture, const QString& text);
// width: the border spinner's position (clamped to 0..10).
void ledtBorderChange(tyPicture& picture, int width);
void chkCenterClick(tyPicture& picture, bool checked);
void chkStretchClick(tyPicture& picture, bool checked);
// date: the refresh date picker's date; source: the source system list's text.
void chkRefreshDateClick(tyPicture& picture, bool checked, TDateTime date, const QString& source);
void RefreshDateChange(tyPicture& picture, TDateTime date, const QString& source,
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
