#include "dropdownform.h"

#include "colorpickerdropdown.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

using namespace ColorPicker;
using namespace tavelorn;

namespace {

constexpr int kGripWidth = 12;
constexpr int kGripHeight = 15;

void frameRect(QPainter& p, const QRect& r, const QColor& c)
{
    p.setPen(c);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

} // namespace

// ---------------------------------------------------------------- TFlatButton

TFlatButton::TFlatButton(const TFooterButton& button, const TButtonAppearance& appearance,
                         QWidget* parent)
    : QWidget(parent), FButton(button), FAppearance(appearance)
{
    setEnabled(button.Enabled);
    setToolTip(button.Hint);
    setAttribute(Qt::WA_Hover);
    // Tab reaches the buttons from the drop-down's content, so that the style can be
    // switched without a mouse.
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(button.AccessibleName.isEmpty() ? button.Caption : button.AccessibleName);
}

void TFlatButton::click()
{
    if (isEnabled())
        emit clicked();
}

void TFlatButton::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (event->modifiers() == Qt::NoModifier &&
        (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        click();
        return;
    }
    event->ignore();
}

void TFlatButton::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void TFlatButton::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void TFlatButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    const TButtonAppearance& a = FAppearance;
    Color border = a.BorderColor;
    if (FDown && FHot) {
        p.fillRect(r, toQColor(a.ColorDown));
        border = a.BorderColorDown;
    } else if (FHot && isEnabled()) {
        p.fillRect(r, toQColor(a.ColorHot));
        border = a.BorderColorHot;
    } else {
        fillVerticalGradient(p, r, toQColor(a.Color), toQColor(a.ColorTo));
    }
    if (border != kColorNone)
        frameRect(p, r, toQColor(border));
    p.setFont(a.Font);
    const QColor text = textQColor(isEnabled() ? a.FontColor : kColorGrayText, a.Color, &palette());
    p.setPen(text);
    p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, FButton.Caption);
    if (hasFocus()) {
        // Dotted, in the caption's colour: the face is the button's own, not the desktop's.
        p.setPen(QPen(text, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(1, 1, -2, -2));
    }
}

void TFlatButton::enterEvent(QEnterEvent*)
{
    FHot = true;
    update();
}

void TFlatButton::leaveEvent(QEvent*)
{
    FHot = false;
    update();
}

void TFlatButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    FPressed = FDown = FHot = true;
    update();
}

void TFlatButton::mouseMoveEvent(QMouseEvent* event)
{
    if (!FPressed)
        return;
    // While pressed the button looks down only with the pointer on it.
    const bool inside = rect().contains(event->position().toPoint());
    if (inside != FHot) {
        FHot = inside;
        update();
    }
}

void TFlatButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !FPressed)
        return;
    FPressed = FDown = false;
    const bool inside = rect().contains(event->position().toPoint());
    FHot = inside;
    update();
    if (inside)
        emit clicked();
}

// ---------------------------------------------------------------- TFooterBar

TFooterBar::TFooterBar(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void TFooterBar::Setup(const TFooterAppearance& footer, const TButtonAppearance& buttons,
                       bool sizeable, bool framedAllRound)
{
    FFooter = footer;
    FButtonAppearance = buttons;
    FSizeable = sizeable;
    FFramedAllRound = framedAllRound;
    // A host may reopen the drop-down from a button's own click: the old buttons go
    // once that click has returned.
    for (TFlatButton* b : std::as_const(FButtons)) {
        b->hide();
        b->deleteLater();
    }
    FButtons.clear();
    for (int i = 0; i < footer.Buttons.size(); ++i) {
        auto* b = new TFlatButton(footer.Buttons[i], buttons, this);
        connect(b, &TFlatButton::clicked, this, [this, i] { emit buttonClicked(i); });
        FButtons.append(b);
        b->show();
    }
    // Tab runs through the buttons as they read, left to right.
    if (footer.ButtonAlignment == baRight)
        for (qsizetype i = FButtons.size() - 1; i > 0; --i)
            QWidget::setTabOrder(FButtons[i], FButtons[i - 1]);
    placeButtons();
    update();
}

bool TFooterBar::GripVisible() const
{
    return FFooter.SizeGrip && FSizeable;
}

bool TFooterBar::InGrip(const QPoint& pos) const
{
    return GripVisible() && pos.x() > width() - kGripWidth && pos.y() > height() - kGripHeight &&
           rect().contains(pos);
}

void TFooterBar::placeButtons()
{
    QRect area = rect().adjusted(2, 2, -2, -2);
    if (GripVisible())
        area.setRight(area.right() - kGripWidth);
    const QFontMetrics fm(FButtonAppearance.Font);
    const int areaRight = area.right() + 1; // exclusive edges, as the layout rule counts
    const int areaBottom = area.bottom() + 1;
    int x = FFooter.ButtonAlignment == baRight ? areaRight : area.left();
    for (TFlatButton* b : FButtons) {
        const TFooterButton& fb = b->Button();
        int w = fb.Width > 0 ? fb.Width : fm.horizontalAdvance(fb.Caption) + 8;
        int h = fb.Height > 0 ? fb.Height : qMin(fm.height() + 4, area.height());
        const int top = qMax(area.top(), (areaBottom - h) / 2);
        if (FFooter.ButtonAlignment == baRight) {
            x -= w;
            b->setGeometry(x, top, w, h);
        } else {
            b->setGeometry(x, top, w, h);
            x += w;
        }
    }
}

void TFooterBar::resizeEvent(QResizeEvent*)
{
    placeButtons();
}

void TFooterBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    fillVerticalGradient(p, r, toQColor(FFooter.Color), toQColor(FFooter.ColorTo));
    // A lighter line just inside the frame gives the bar its raised look.
    p.setPen(QColor(255, 255, 255, 150));
    p.drawLine(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1);
    if (FFramedAllRound)
        p.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, r.bottom() - 1);
    if (FFooter.BorderColor != kColorNone && FFooter.BorderWidth > 0) {
        p.setPen(toQColor(FFooter.BorderColor));
        if (FFramedAllRound)
            p.drawRect(r.adjusted(0, 0, -1, -1));
        else
            p.drawLine(r.topLeft(), r.topRight());
    }
    if (!FFooter.Caption.isEmpty()) {
        p.setFont(FFooter.Font);
        p.setPen(textQColor(FFooter.FontColor, FFooter.Color, &palette()));
        p.drawText(r.adjusted(6, 0, -6, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   FFooter.Caption);
    }
    if (GripVisible()) {
        // Six small squares in a triangle, each with a light square behind it.
        const QColor dark = toQColor(FFooter.BorderColor == kColorNone ? colorFromHex(0x6A8CC0)
                                                                       : FFooter.BorderColor)
                                .darker(160);
        const QColor light(255, 255, 255, 220);
        const int right = r.right() - 2;
        const int bottom = r.bottom() - 2;
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col <= row; ++col) {
                const int x = right - 1 - col * 4;
                const int y = bottom - 1 - (2 - row) * 4;
                p.fillRect(x + 1, y + 1, 2, 2, light);
                p.fillRect(x, y, 2, 2, dark);
            }
        }
    }
}

void TFooterBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && InGrip(event->position().toPoint())) {
        FResizing = true;
        FResizeStart = event->globalPosition().toPoint();
        FStartSize = window()->size();
    }
}

void TFooterBar::mouseMoveEvent(QMouseEvent* event)
{
    if (FResizing) {
        const QPoint delta = event->globalPosition().toPoint() - FResizeStart;
        window()->resize(FStartSize + QSize(delta.x(), delta.y())); // held by its minimum
        return;
    }
    if (InGrip(event->position().toPoint()))
        setCursor(Qt::SizeFDiagCursor);
    else
        unsetCursor();
}

void TFooterBar::mouseReleaseEvent(QMouseEvent*)
{
    FResizing = false;
}

// ---------------------------------------------------------------- TDropDownForm

TDropDownForm::TDropDownForm(TColorPickerDropDown* picker)
    : QWidget(picker, Qt::Popup | Qt::FramelessWindowHint), FPicker(picker),
      FFooter(new TFooterBar(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_NoMouseReplay); // the click that closes us must not reopen us
    setMinimumSize(80, 50);
    FFooter->hide();
    connect(FFooter, &TFooterBar::buttonClicked, picker, [picker](int index) {
        const TFooterAppearance footer = picker->DropDownFooter();
        emit picker->OnDropDownFooterButtonClick(index);
        if (index < footer.Buttons.size()) {
            const int mr = footer.Buttons[index].ModalResult;
            // Cancel, Abort, Ignore, No and Close close cancelling; others accepting.
            if (mr != 0)
                picker->HideDropDown(mr == 2 || mr == 3 || mr == 5 || mr == 7 || mr == 8);
        }
    });
}

void TDropDownForm::setFrame(Color background, Color border, int borderWidth)
{
    FBackground = background;
    FBorderColor = border;
    FBorderWidth = qMax(0, borderWidth);
    placeChildren();
    update();
}

void TDropDownForm::setContent(QWidget* content)
{
    if (FContent && FContent != content)
        FContent->hide();
    FContent = content;
    if (content) {
        content->setParent(this);
        content->show();
        // The corner lies on the content; watch everything that can cover it.
        content->installEventFilter(this);
        for (QWidget* w : content->findChildren<QWidget*>())
            w->installEventFilter(this);
    }
    FFooter->raise(); // the content never covers the footer and its grip
    placeChildren();
}

void TDropDownForm::setCornerSizeable(bool on)
{
    FCornerSizeable = on;
}

bool TDropDownForm::InResizeCorner(const QPoint& formPos) const
{
    return FCornerSizeable && formPos.x() >= width() - kGripWidth &&
           formPos.y() >= height() - kGripWidth && rect().contains(formPos);
}

bool TDropDownForm::eventFilter(QObject* watched, QEvent* event)
{
    if (!FCornerSizeable || !watched->isWidgetType())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton &&
            InResizeCorner(mapFromGlobal(me->globalPosition().toPoint()))) {
            FCornerResizing = true;
            FResizeStart = me->globalPosition().toPoint();
            FStartSize = size();
            return true;
        }
        return false;
    }
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (FCornerResizing) {
            const QPoint delta = me->globalPosition().toPoint() - FResizeStart;
            resize(FStartSize + QSize(delta.x(), delta.y())); // held by the minimum size
            return true;
        }
        auto* w = static_cast<QWidget*>(watched);
        if (InResizeCorner(mapFromGlobal(me->globalPosition().toPoint())))
            w->setCursor(Qt::SizeFDiagCursor);
        else
            w->unsetCursor();
        return false;
    }
    case QEvent::MouseButtonRelease:
        if (FCornerResizing) {
            FCornerResizing = false;
            return true;
        }
        return false;
    default:
        return false;
    }
}

void TDropDownForm::setFooterHeight(int height)
{
    FFooterHeight = qMax(0, height);
    FFooter->setVisible(FFooterHeight > 0);
    placeChildren();
}

QRect TDropDownForm::ContentRect() const
{
    const int b = FBorderWidth;
    return QRect(b, b, width() - 2 * b, height() - 2 * b - FFooterHeight);
}

void TDropDownForm::placeChildren()
{
    const QRect c = ContentRect();
    if (FContent) {
        if (FContent->inherits("QScrollArea"))
            FContent->setGeometry(c);
        else
            FContent->move(c.topLeft());
    }
    if (FFooterHeight > 0)
        FFooter->setGeometry(FBorderWidth, height() - FBorderWidth - FFooterHeight,
                             width() - 2 * FBorderWidth, FFooterHeight);
}

void TDropDownForm::resizeEvent(QResizeEvent*)
{
    placeChildren();
}

void TDropDownForm::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), toQColor(FBackground, &palette()));
    if (FBorderColor != kColorNone && FBorderWidth > 0) {
        const QColor c = toQColor(FBorderColor, &palette());
        for (int i = 0; i < FBorderWidth; ++i)
            frameRect(p, rect().adjusted(i, i, -i, -i), c);
    }
}

void TDropDownForm::keyPressEvent(QKeyEvent* event)
{
    if (!FPicker->handleKey(event->key(), event->modifiers(), event->text()))
        event->ignore();
}

void TDropDownForm::wheelEvent(QWheelEvent* event)
{
    const int dy = event->angleDelta().y();
    if (dy != 0)
        FPicker->handleWheel(dy < 0);
}

void TDropDownForm::hideByPicker()
{
    FHidingByPicker = true;
    hide();
    FHidingByPicker = false;
}

void TDropDownForm::closeEvent(QCloseEvent* event)
{
    event->accept();
}

void TDropDownForm::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Any hide we did not ask for is Qt closing the pop-up: a click elsewhere.
    if (!FHidingByPicker && !event->spontaneous())
        FPicker->dropDownDeactivated();
}
