#include "dropdownform.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace tavelorn {

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

FlatButton::FlatButton(const FooterButton& button, const ButtonAppearance& appearance,
                       QWidget* parent)
    : QWidget(parent), m_button(button), m_appearance(appearance)
{
    setEnabled(button.enabled);
    setToolTip(button.hint);
    setAttribute(Qt::WA_Hover);
    // Tab reaches the buttons from the drop-down's content, so that the style can be
    // switched without a mouse.
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(button.accessibleName.isEmpty() ? button.caption : button.accessibleName);
}

void FlatButton::click()
{
    if (isEnabled())
        emit clicked();
}

void FlatButton::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (event->modifiers() == Qt::NoModifier &&
        (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        click();
        return;
    }
    event->ignore();
}

void FlatButton::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void FlatButton::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void FlatButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    const ButtonAppearance& a = m_appearance;
    Color border = a.borderColor;
    if (m_down && m_hot) {
        p.fillRect(r, paletteQColor(a.colorDown));
        border = a.borderColorDown;
    } else if (m_hot && isEnabled()) {
        p.fillRect(r, paletteQColor(a.colorHot));
        border = a.borderColorHot;
    } else {
        fillVerticalGradient(p, r, paletteQColor(a.color), paletteQColor(a.colorTo));
    }
    if (border != kColorNone)
        frameRect(p, r, paletteQColor(border));
    p.setFont(a.font);
    const QColor text = textQColor(isEnabled() ? a.fontColor : kColorGrayText, a.color, &palette());
    p.setPen(text);
    p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, m_button.caption);
    if (hasFocus()) {
        // Dotted, in the caption's colour: the face is the button's own, not the desktop's.
        p.setPen(QPen(text, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(1, 1, -2, -2));
    }
}

void FlatButton::enterEvent(QEnterEvent*)
{
    m_hot = true;
    update();
}

void FlatButton::leaveEvent(QEvent*)
{
    m_hot = false;
    update();
}

void FlatButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = m_down = m_hot = true;
    update();
}

void FlatButton::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed)
        return;
    // While pressed the button looks down only with the pointer on it.
    const bool inside = rect().contains(event->position().toPoint());
    if (inside != m_hot) {
        m_hot = inside;
        update();
    }
}

void FlatButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = m_down = false;
    const bool inside = rect().contains(event->position().toPoint());
    m_hot = inside;
    update();
    if (inside)
        emit clicked();
}

FooterBar::FooterBar(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void FooterBar::setup(const FooterAppearance& footer, const ButtonAppearance& buttons,
                      bool sizeable, bool framedAllRound)
{
    m_footer = footer;
    m_buttonAppearance = buttons;
    m_sizeable = sizeable;
    m_framedAllRound = framedAllRound;
    // A host may reopen the drop-down from a button's own click: the old buttons go
    // once that click has returned.
    for (FlatButton* b : std::as_const(m_buttons)) {
        b->hide();
        b->deleteLater();
    }
    m_buttons.clear();
    for (int i = 0; i < footer.buttons.size(); ++i) {
        auto* b = new FlatButton(footer.buttons[i], buttons, this);
        connect(b, &FlatButton::clicked, this, [this, i] { emit buttonClicked(i); });
        m_buttons.append(b);
        b->show();
    }
    // Tab runs through the buttons as they read, left to right.
    if (footer.buttonAlignment == ButtonAlignment::Right)
        for (qsizetype i = m_buttons.size() - 1; i > 0; --i)
            QWidget::setTabOrder(m_buttons[i], m_buttons[i - 1]);
    placeButtons();
    update();
}

bool FooterBar::gripVisible() const
{
    return m_footer.sizeGrip && m_sizeable;
}

bool FooterBar::inGrip(const QPoint& pos) const
{
    return gripVisible() && pos.x() > width() - kGripWidth && pos.y() > height() - kGripHeight &&
           rect().contains(pos);
}

void FooterBar::placeButtons()
{
    QRect area = rect().adjusted(2, 2, -2, -2);
    if (gripVisible())
        area.setRight(area.right() - kGripWidth);
    const QFontMetrics fm(m_buttonAppearance.font);
    const int areaRight = area.right() + 1; // exclusive edges, as the layout rule counts
    const int areaBottom = area.bottom() + 1;
    int x = m_footer.buttonAlignment == ButtonAlignment::Right ? areaRight : area.left();
    for (FlatButton* b : m_buttons) {
        const FooterButton& fb = b->button();
        int w = fb.width > 0 ? fb.width : fm.horizontalAdvance(fb.caption) + 8;
        int h = fb.height > 0 ? fb.height : qMin(fm.height() + 4, area.height());
        const int top = qMax(area.top(), (areaBottom - h) / 2);
        if (m_footer.buttonAlignment == ButtonAlignment::Right) {
            x -= w;
            b->setGeometry(x, top, w, h);
        } else {
            b->setGeometry(x, top, w, h);
            x += w;
        }
    }
}

void FooterBar::resizeEvent(QResizeEvent*)
{
    placeButtons();
}

void FooterBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    fillVerticalGradient(p, r, paletteQColor(m_footer.color), paletteQColor(m_footer.colorTo));
    // A lighter line just inside the frame gives the bar its raised look.
    p.setPen(QColor(255, 255, 255, 150));
    p.drawLine(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1);
    if (m_framedAllRound)
        p.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, r.bottom() - 1);
    if (m_footer.borderColor != kColorNone && m_footer.borderWidth > 0) {
        p.setPen(paletteQColor(m_footer.borderColor));
        if (m_framedAllRound)
            p.drawRect(r.adjusted(0, 0, -1, -1));
        else
            p.drawLine(r.topLeft(), r.topRight());
    }
    if (!m_footer.caption.isEmpty()) {
        p.setFont(m_footer.font);
        p.setPen(textQColor(m_footer.fontColor, m_footer.color, &palette()));
        p.drawText(r.adjusted(6, 0, -6, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   m_footer.caption);
    }
    if (gripVisible()) {
        // Six small squares in a triangle, each with a light square behind it.
        const QColor dark =
            paletteQColor(m_footer.borderColor == kColorNone ? colorFromHex(0x6A8CC0)
                                                             : m_footer.borderColor)
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

void FooterBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && inGrip(event->position().toPoint())) {
        m_resizing = true;
        m_resizeStart = event->globalPosition().toPoint();
        m_startSize = window()->size();
    }
}

void FooterBar::mouseMoveEvent(QMouseEvent* event)
{
    if (m_resizing) {
        const QPoint delta = event->globalPosition().toPoint() - m_resizeStart;
        window()->resize(m_startSize + QSize(delta.x(), delta.y())); // held by its minimum
        return;
    }
    if (inGrip(event->position().toPoint()))
        setCursor(Qt::SizeFDiagCursor);
    else
        unsetCursor();
}

void FooterBar::mouseReleaseEvent(QMouseEvent*)
{
    m_resizing = false;
}

DropDownForm::DropDownForm(QWidget* owner)
    : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint), m_footer(new FooterBar(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_NoMouseReplay); // the click that closes us must not reopen us
    setMinimumSize(80, 50);
    m_footer->hide();
}

void DropDownForm::setFrame(Color background, Color border, int borderWidth)
{
    m_background = background;
    m_borderColor = border;
    m_borderWidth = qMax(0, borderWidth);
    placeChildren();
    update();
}

void DropDownForm::setContent(QWidget* content)
{
    if (m_content && m_content != content)
        m_content->hide();
    m_content = content;
    if (content) {
        content->setParent(this);
        content->show();
        // The corner lies on the content; watch everything that can cover it.
        content->installEventFilter(this);
        for (QWidget* w : content->findChildren<QWidget*>())
            w->installEventFilter(this);
    }
    m_footer->raise(); // the content never covers the footer and its grip
    placeChildren();
}

void DropDownForm::setCornerSizeable(bool on)
{
    m_cornerSizeable = on;
}

bool DropDownForm::inResizeCorner(const QPoint& formPos) const
{
    return m_cornerSizeable && formPos.x() >= width() - kGripWidth &&
           formPos.y() >= height() - kGripWidth && rect().contains(formPos);
}

bool DropDownForm::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_cornerSizeable || !watched->isWidgetType())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton &&
            inResizeCorner(mapFromGlobal(me->globalPosition().toPoint()))) {
            m_cornerResizing = true;
            m_resizeStart = me->globalPosition().toPoint();
            m_startSize = size();
            return true;
        }
        return false;
    }
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (m_cornerResizing) {
            const QPoint delta = me->globalPosition().toPoint() - m_resizeStart;
            resize(m_startSize + QSize(delta.x(), delta.y())); // held by the minimum size
            return true;
        }
        auto* w = static_cast<QWidget*>(watched);
        if (inResizeCorner(mapFromGlobal(me->globalPosition().toPoint())))
            w->setCursor(Qt::SizeFDiagCursor);
        else
            w->unsetCursor();
        return false;
    }
    case QEvent::MouseButtonRelease:
        if (m_cornerResizing) {
            m_cornerResizing = false;
            return true;
        }
        return false;
    default:
        return false;
    }
}

void DropDownForm::setFooterHeight(int height)
{
    m_footerHeight = qMax(0, height);
    m_footer->setVisible(m_footerHeight > 0);
    placeChildren();
}

QRect DropDownForm::contentRect() const
{
    const int b = m_borderWidth;
    return QRect(b, b, width() - 2 * b, height() - 2 * b - m_footerHeight);
}

void DropDownForm::placeChildren()
{
    const QRect c = contentRect();
    if (m_content) {
        if (m_content->inherits("QScrollArea"))
            m_content->setGeometry(c);
        else
            m_content->move(c.topLeft());
    }
    if (m_footerHeight > 0)
        m_footer->setGeometry(m_borderWidth, height() - m_borderWidth - m_footerHeight,
                              width() - 2 * m_borderWidth, m_footerHeight);
}

void DropDownForm::resizeEvent(QResizeEvent*)
{
    placeChildren();
}

void DropDownForm::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), paletteQColor(m_background, &palette()));
    if (m_borderColor != kColorNone && m_borderWidth > 0) {
        const QColor c = paletteQColor(m_borderColor, &palette());
        for (int i = 0; i < m_borderWidth; ++i)
            frameRect(p, rect().adjusted(i, i, -i, -i), c);
    }
}

void DropDownForm::keyPressEvent(QKeyEvent* event)
{
    event->ignore();
    emit keyPressed(event);
}

void DropDownForm::wheelEvent(QWheelEvent* event)
{
    const int dy = event->angleDelta().y();
    if (dy != 0)
        emit wheelTurned(dy < 0);
}

void DropDownForm::hideWithoutDeactivation()
{
    m_hidingQuietly = true;
    hide();
    m_hidingQuietly = false;
}

void DropDownForm::closeEvent(QCloseEvent* event)
{
    event->accept();
}

void DropDownForm::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Any hide we did not ask for is Qt closing the pop-up: a click elsewhere.
    if (!m_hidingQuietly && !event->spontaneous())
        emit deactivated();
}

} // namespace tavelorn
