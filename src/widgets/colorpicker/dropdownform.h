#pragma once

#include "glossybar.h"
#include "pickercolor.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QKeyEvent;

namespace tavelorn {

struct FooterButton
{
    QString caption;
    QString hint;
    QString accessibleName; // what a screen reader says; the caption when empty
    bool enabled = true;
    int width = 0;  // 0: sized to the caption
    int height = 0; // 0: sized to the caption
    int modalResult = 0;
};

struct FooterAppearance
{
    bool visible = false;
    int height = 22;
    int borderWidth = 1;
    bool sizeGrip = true;
    ButtonAlignment buttonAlignment = ButtonAlignment::Right;
    Color color = colorFromHex(0xE3EFFF);
    Color colorTo = colorFromHex(0xAFD2FF);
    Color borderColor = colorFromHex(0xAFD2FF);
    QFont font = ItemAppearance::defaultFont();
    Color fontColor = colorFromHex(0x083772);
    QString caption;
    QList<FooterButton> buttons;
};

struct ButtonAppearance
{
    Color color = colorFromHex(0xE3EFFF);
    Color colorTo = colorFromHex(0xC4DDFF);
    Color borderColor = kColorNone;
    Color colorHot = colorFromHex(0xFFFDEB);
    Color borderColorHot = colorFromHex(0xDBCE99);
    Color colorDown = colorFromHex(0xFFD9AA);
    Color borderColorDown = colorFromHex(0xFEAE42);
    QFont font = ItemAppearance::defaultFont();
    Color fontColor = colorFromHex(0x083772);
};

// A footer button: gradient face, filled and framed when hot or pressed.
class FlatButton : public QWidget
{
    Q_OBJECT

public:
    FlatButton(const FooterButton& button, const ButtonAppearance& appearance, QWidget* parent);
    const FooterButton& button() const { return m_button; }
    bool isHot() const { return m_hot; }
    bool isDown() const { return m_down; }
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
    FooterButton m_button;
    ButtonAppearance m_appearance;
    bool m_hot = false;
    bool m_down = false;
    bool m_pressed = false;
};

// The row of buttons at the bottom of the drop-down window, with its size grip.
class FooterBar : public QWidget
{
    Q_OBJECT

public:
    explicit FooterBar(QWidget* parent);

    // Recreates the buttons from the appearance's list.
    void setup(const FooterAppearance& footer, const ButtonAppearance& buttons, bool sizeable,
               bool framedAllRound);
    QList<FlatButton*> buttons() const { return m_buttons; }
    bool gripVisible() const;
    bool inGrip(const QPoint& pos) const;

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

    FooterAppearance m_footer;
    ButtonAppearance m_buttonAppearance;
    bool m_sizeable = true;
    bool m_framedAllRound = true;
    QList<FlatButton*> m_buttons;
    bool m_resizing = false;
    QPoint m_resizeStart;
    QSize m_startSize;
};

// The borderless pop-up window of a drop-down control: a frame, the content of the
// current style and the footer. It knows nothing of its owner: keys, wheel steps and
// losing activation (Qt closing the pop-up on an outside click) go out as signals.
class DropDownForm : public QWidget
{
    Q_OBJECT

public:
    explicit DropDownForm(QWidget* owner);

    void setFrame(Color background, Color border, int borderWidth);
    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }
    FooterBar* footer() const { return m_footer; }
    void setFooterHeight(int height); // 0 hides the footer
    int footerHeight() const { return m_footerHeight; }
    int borderWidth() const { return m_borderWidth; }
    // Where the content goes: inside the frame, above the footer.
    QRect contentRect() const;

    // Hides the window without counting it as losing activation.
    void hideWithoutDeactivation();

    // Lets the window's own bottom-right corner resize it (the list style without a
    // footer grip).
    void setCornerSizeable(bool on);
    bool inResizeCorner(const QPoint& formPos) const;

signals:
    // A key pressed in the window; a receiver that uses it accepts it, else it is
    // ignored.
    void keyPressed(QKeyEvent* event);
    void wheelTurned(bool down);
    // Hidden by Qt, not by hideWithoutDeactivation(): a click elsewhere closed it.
    void deactivated();

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

    QPointer<QWidget> m_content;
    FooterBar* m_footer;
    Color m_background = makeColor(255, 255, 255);
    Color m_borderColor = makeColor(0, 0, 0);
    int m_borderWidth = 1;
    int m_footerHeight = 0;
    bool m_hidingQuietly = false;
    bool m_cornerSizeable = false;
    bool m_cornerResizing = false;
    QPoint m_resizeStart;
    QSize m_startSize;
};

} // namespace tavelorn
