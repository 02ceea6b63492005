#pragma once

#include "glossybar.h"
#include "pickercolor.h"

#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QWidget>

class TColorPickerDropDown;

struct TFooterButton
{
    QString Caption;
    QString Hint;
    QString AccessibleName; // what a screen reader says; the caption when empty
    bool Enabled = true;
    int Width = 0;  // 0: sized to the caption
    int Height = 0; // 0: sized to the caption
    int ModalResult = 0;
};

struct TFooterAppearance
{
    bool Visible = false;
    int Height = 22;
    int BorderWidth = 1;
    bool SizeGrip = true;
    ColorPicker::TButtonAlignment ButtonAlignment = ColorPicker::baRight;
    tavelorn::Color Color = tavelorn::colorFromHex(0xE3EFFF);
    tavelorn::Color ColorTo = tavelorn::colorFromHex(0xAFD2FF);
    tavelorn::Color BorderColor = tavelorn::colorFromHex(0xAFD2FF);
    QFont Font = TItemAppearance::defaultFont();
    tavelorn::Color FontColor = tavelorn::colorFromHex(0x083772);
    QString Caption;
    QList<TFooterButton> Buttons;
};

struct TButtonAppearance
{
    tavelorn::Color Color = tavelorn::colorFromHex(0xE3EFFF);
    tavelorn::Color ColorTo = tavelorn::colorFromHex(0xC4DDFF);
    tavelorn::Color BorderColor = tavelorn::kColorNone;
    tavelorn::Color ColorHot = tavelorn::colorFromHex(0xFFFDEB);
    tavelorn::Color BorderColorHot = tavelorn::colorFromHex(0xDBCE99);
    tavelorn::Color ColorDown = tavelorn::colorFromHex(0xFFD9AA);
    tavelorn::Color BorderColorDown = tavelorn::colorFromHex(0xFEAE42);
    QFont Font = TItemAppearance::defaultFont();
    tavelorn::Color FontColor = tavelorn::colorFromHex(0x083772);
};

// A footer button: gradient face, filled and framed when hot or pressed.
class TFlatButton : public QWidget
{
    Q_OBJECT

public:
    TFlatButton(const TFooterButton& button, const TButtonAppearance& appearance, QWidget* parent);
    const TFooterButton& Button() const { return FButton; }
    bool IsHot() const { return FHot; }
    bool IsDown() const { return FDown; }
    // As a click with the mouse: raises clicked() when enabled.
    void click();

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    // Space and Enter press a button that has the keyboard focus; other keys go on to
    // the drop-down window, and so to the picker.
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TFooterButton FButton;
    TButtonAppearance FAppearance;
    bool FHot = false;
    bool FDown = false;
    bool FPressed = false;
};

// The row of buttons at the bottom of the drop-down window, with its size grip.
class TFooterBar : public QWidget
{
    Q_OBJECT

public:
    explicit TFooterBar(QWidget* parent);

    // Recreates the buttons from the appearance's list.
    void Setup(const TFooterAppearance& footer, const TButtonAppearance& buttons, bool sizeable,
               bool framedAllRound);
    QList<TFlatButton*> Buttons() const { return FButtons; }
    bool GripVisible() const;
    bool InGrip(const QPoint& pos) const;

signals:
    void buttonClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void placeButtons();

    TFooterAppearance FFooter;
    TButtonAppearance FButtonAppearance;
    bool FSizeable = true;
    bool FFramedAllRound = true;
    QList<TFlatButton*> FButtons;
    bool FResizing = false;
    QPoint FResizeStart;
    QSize FStartSize;
};

// The borderless pop-up window of the picker: a frame, the content of the current
// style and the footer. It hands keys and wheel steps to the picker and reports
// losing activation (Qt closing the pop-up on an outside click).
class TDropDownForm : public QWidget
{
    Q_OBJECT

public:
    explicit TDropDownForm(TColorPickerDropDown* picker);

    void setFrame(tavelorn::Color background, tavelorn::Color border, int borderWidth);
    void setContent(QWidget* content);
    QWidget* Content() const { return FContent; }
    TFooterBar* Footer() const { return FFooter; }
    void setFooterHeight(int height); // 0 hides the footer
    int FooterHeight() const { return FFooterHeight; }
    int BorderWidth() const { return FBorderWidth; }
    // Where the content goes: inside the frame, above the footer.
    QRect ContentRect() const;

    // Hides the window without counting it as losing activation.
    void hideByPicker();

    // Lets the window's own bottom-right corner resize it (the list style without a
    // footer grip).
    void setCornerSizeable(bool on);
    bool InResizeCorner(const QPoint& formPos) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeChildren();

    TColorPickerDropDown* FPicker;
    QPointer<QWidget> FContent;
    TFooterBar* FFooter;
    tavelorn::Color FBackground = tavelorn::makeColor(255, 255, 255);
    tavelorn::Color FBorderColor = tavelorn::makeColor(0, 0, 0);
    int FBorderWidth = 1;
    int FFooterHeight = 0;
    bool FHidingByPicker = false;
    bool FCornerSizeable = false;
    bool FCornerResizing = false;
    QPoint FResizeStart;
    QSize FStartSize;
};
