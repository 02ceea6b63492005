#include "colorpickerdropdown.h"

#include "colorcubepanel.h"
#include "colorspectrumpanel.h"
#include "customcolorselector.h"
#include "itemselector.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>

namespace tavelorn {

namespace {

struct NamedColor
{
    const char* caption;
    quint32 rrggbb;
};

constexpr NamedColor kDefaultColors[16] = {
    {"Black", 0x000000},  {"Maroon", 0x800000},  {"Green", 0x008000}, {"Olive", 0x808000},
    {"Navy", 0x000080},   {"Purple", 0x800080},  {"Teal", 0x008080},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},     {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF},  {"White", 0xFFFFFF},
};

// A click on the control this soon after the window lost activation is the click that
// closed it, and must not open it again.
constexpr qint64 kReopenGuardMs = 250;
constexpr int kSearchResetMs = 500;

QString searchableCaption(const QString& caption)
{
    static const QRegularExpression kTags(QStringLiteral("<[^>]*>"));
    QString s = caption;
    if (s.contains(QLatin1String("</")))
        s.remove(kTags);
    return s.trimmed().toUpper();
}

} // namespace

ColorPickerDropDown::ColorPickerDropDown(QWidget* parent)
    : QWidget(parent), m_keyTimer(new QTimer(this)), m_form(new DropDownForm(this)),
      m_itemSelector(new ScrollingItemSelector(m_form))
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_Hover);
    m_keyTimer->setObjectName(QStringLiteral("FKeyTimer"));
    m_keyTimer->setSingleShot(true);
    m_keyTimer->setInterval(kSearchResetMs);
    connect(m_keyTimer, &QTimer::timeout, this, [this] {
        m_keyTimer->stop();
        m_curSearch.clear();
    });

    // Keys pressed in the open drop-down reach the picker's keyboard rules.
    connect(m_form, &DropDownForm::keyPressed, this, [this](QKeyEvent* event) {
        event->setAccepted(handleKey(event->key(), event->modifiers(), event->text()));
    });
    connect(m_form, &DropDownForm::wheelTurned, this, &ColorPickerDropDown::handleWheel);
    connect(m_form, &DropDownForm::deactivated, this, &ColorPickerDropDown::dropDownDeactivated);
    connect(m_form->footer(), &FooterBar::buttonClicked, this, &ColorPickerDropDown::footerClicked);
    m_itemSelector->hide();
    connect(m_itemSelector->selector(), &CustomItemSelector::itemPressed, this, [this](int i) {
        setItemIndex(i);
        hideDropDown(false);
    });
}

namespace {

QList<SelectorItem> selectorItems(const ColorItems& colors)
{
    QList<SelectorItem> items;
    for (const ColorItem& c : colors)
        items.append({c.caption, c.color, c.hint, c.enabled, {}});
    return items;
}

} // namespace

void ColorPickerDropDown::setColors(const ColorItems& colors)
{
    m_colors = colors;
    if (m_itemIndex >= m_colors.size())
        m_itemIndex = -1;
    if (m_updateCount == 0) {
        m_itemSelector->selector()->setItems(selectorItems(m_colors));
        m_itemSelector->selector()->setItemIndex(m_itemIndex);
    }
    update();
}

void ColorPickerDropDown::addColor(const QString& caption, Color color, const QString& hint)
{
    ColorItems colors = m_colors;
    colors.append({caption, color, true, hint});
    setColors(colors);
}

void ColorPickerDropDown::clearColors()
{
    setColors({});
}

void ColorPickerDropDown::addDefaultColors()
{
    ColorItems colors;
    for (const NamedColor& c : kDefaultColors)
        colors.append({QString::fromLatin1(c.caption), colorFromHex(c.rrggbb), true, {}});
    setColors(colors);
}

void ColorPickerDropDown::beginUpdate()
{
    ++m_updateCount;
}

void ColorPickerDropDown::endUpdate()
{
    if (m_updateCount == 0)
        return;
    if (--m_updateCount == 0)
        setColors(m_colors);
}

void ColorPickerDropDown::setItemIndex(int index)
{
    if (index >= m_colors.size())
        return;
    m_itemIndex = index < 0 ? -1 : index;
    if (m_itemIndex >= 0)
        m_selectedColor = m_colors[m_itemIndex].color;
    m_itemSelector->selector()->setItemIndex(m_itemIndex);
    update();
    announceValue();
    emit colorSelected(m_selectedColor);
}

void ColorPickerDropDown::setSelectedColor(Color c)
{
    if (c == m_selectedColor)
        return;
    m_selectedColor = toRgbColor(c, palette());
    for (int i = 0; i < m_colors.size(); ++i) {
        if (toRgbColor(m_colors[i].color, palette()) == m_selectedColor) {
            setItemIndex(i);
            return;
        }
    }
    m_itemIndex = -1;
    m_itemSelector->selector()->setItemIndex(-1);
    update();
    announceValue();
}

void ColorPickerDropDown::setColorSelectionStyle(ColorSelectionStyle s)
{
    if (s == m_style)
        return;
    m_style = s;
    m_userSize = QSize();
    prepareContent();
    m_oldSelectedColor = m_selectedColor;
    m_form->setCornerSizeable(s == ColorSelectionStyle::List && m_dropDownSizeable &&
                              !(m_footer.visible && m_footer.sizeGrip));
    if (droppedDown()) {
        const QSize size = dropDownSize();
        applyMinimumSize(size);
        m_form->resize(size);
        // The new height may no longer fit below (or above) the control.
        m_form->move(dropDownPosition(size));
        if (s == ColorSelectionStyle::List)
            m_itemSelector->ensureItemVisible(m_itemIndex);
        m_form->update();
    }
    update();
}

void ColorPickerDropDown::setColorValueText(ColorValueText v)
{
    m_valueText = v;
    update();
}
void ColorPickerDropDown::setShowText(bool on)
{
    m_showText = on;
    update();
}
void ColorPickerDropDown::setColorBoxWidth(int v)
{
    m_boxWidth = qMax(0, v);
    update();
}
void ColorPickerDropDown::setColorBoxHeight(int v)
{
    m_boxHeight = qMax(0, v);
    update();
}
void ColorPickerDropDown::setColorBoxBorderColor(Color c)
{
    m_boxBorderColor = c;
    update();
}
void ColorPickerDropDown::setColumns(int v)
{
    m_columns = qMax(1, v);
}
void ColorPickerDropDown::setItemLayout(ItemLayout l)
{
    m_layout = l;
}
void ColorPickerDropDown::setItemAppearance(const ItemAppearance& a)
{
    m_itemAppearance = a;
}
void ColorPickerDropDown::setSelectionColorStyle(SelectionColorStyle s)
{
    m_selectionColorStyle = s;
}
void ColorPickerDropDown::setDropDownButtonWidth(int v)
{
    m_dropDownButtonWidth = qMax(0, v);
    update();
}
void ColorPickerDropDown::setDropDownColor(Color c)
{
    m_dropDownColor = c;
}
void ColorPickerDropDown::setDropDownBorderColor(Color c)
{
    m_dropDownBorderColor = c;
}
void ColorPickerDropDown::setDropDownBorderWidth(int v)
{
    m_dropDownBorderWidth = qMax(0, v);
}
void ColorPickerDropDown::setDropDownShadow(bool on)
{
    m_dropDownShadow = on;
}
void ColorPickerDropDown::setDropDownSizeable(bool on)
{
    m_dropDownSizeable = on;
}
void ColorPickerDropDown::setDropDownWidth(int v)
{
    if (v == m_dropDownWidth)
        return;
    m_dropDownWidth = qMax(0, v);
    m_userSize = QSize();
}
void ColorPickerDropDown::setDropDownHeight(int v)
{
    if (v == m_dropDownHeight)
        return;
    m_dropDownHeight = qMax(0, v);
    m_userSize = QSize();
}
void ColorPickerDropDown::setDropPosition(DropPosition p)
{
    m_dropPosition = p;
}
void ColorPickerDropDown::setDropDownFooter(const FooterAppearance& f)
{
    m_footer = f;
}
void ColorPickerDropDown::setButtonAppearance(const ButtonAppearance& a)
{
    m_buttonAppearance = a;
}

QSize ColorPickerDropDown::sizeHint() const
{
    return QSize(145, 21);
}
QSize ColorPickerDropDown::minimumSizeHint() const
{
    return QSize(m_dropDownButtonWidth + 24, 21);
}

CustomColorSelector* ColorPickerDropDown::ensureColorSelector()
{
    if (!m_colorSelector) {
        m_colorSelector = new CustomColorSelector(m_form);
        m_colorSelector->hide();
        connect(m_colorSelector, &CustomColorSelector::colorSelected, this, [this](Color c) {
            // Assigning the picker's colour when the palette is shown is no pick.
            if (!m_preparing)
                panelPicked(c, true);
        });
    }
    return m_colorSelector;
}

void ColorPickerDropDown::prepareContent()
{
    m_preparing = true;
    m_oldSelectedColor = m_selectedColor;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, paletteQColor(m_dropDownColor, &pal));
    QWidget* content = nullptr;
    switch (m_style) {
    case ColorSelectionStyle::List: {
        CustomItemSelector* list = m_itemSelector->selector();
        list->setItems(selectorItems(m_colors));
        list->setColumns(m_columns);
        list->setItemLayout(m_layout);
        list->setBackgroundColor(m_dropDownColor);
        list->setColorBox(m_boxWidth, m_boxHeight);
        list->setAppearance(m_itemAppearance);
        list->layoutItems();
        list->setItemIndex(m_itemIndex);
        m_itemSelector->setPalette(pal);
        m_itemSelector->viewport()->setPalette(pal);
        m_oldItemIndex = m_itemIndex;
        content = m_itemSelector;
        break;
    }
    case ColorSelectionStyle::Discrete: {
        CustomColorSelector* palette = ensureColorSelector();
        palette->setPalette(pal);
        palette->setSelectedColor(m_selectedColor);
        palette->relayout();
        palette->setItemColorStyle(m_selectionColorStyle);
        content = palette;
        break;
    }
    case ColorSelectionStyle::ColorCube:
        if (!m_cubePanel) {
            m_cubePanel = new ColorCubePanel(m_form);
            connect(m_cubePanel, &ColorCubePanel::colorSelected, this,
                    [this](Color c) { panelPicked(c, false); });
        }
        m_cubePanel->setPalette(pal);
        m_cubePanel->resetCells();
        m_cubePanel->setSelectedColor(m_selectedColor);
        m_cubePanel->setFixedSize(182, 160);
        m_cubePanel->update();
        content = m_cubePanel;
        break;
    case ColorSelectionStyle::Spectrum:
        if (!m_spectrumPanel) {
            m_spectrumPanel = new ColorSpectrumPanel(m_form);
            connect(m_spectrumPanel, &ColorSpectrumPanel::colorSelected, this,
                    [this](Color c) { panelPicked(c, false); });
        }
        m_spectrumPanel->setPalette(pal);
        m_spectrumPanel->setSelectedColor(m_selectedColor);
        m_spectrumPanel->relayout();
        content = m_spectrumPanel;
        break;
    }
    for (QWidget* w :
         {static_cast<QWidget*>(m_itemSelector), static_cast<QWidget*>(m_colorSelector),
          static_cast<QWidget*>(m_cubePanel), static_cast<QWidget*>(m_spectrumPanel)})
        if (w && w != content)
            w->hide();
    m_form->setContent(content);
    m_preparing = false;
}

QSize ColorPickerDropDown::dropDownSize() const
{
    const int border = 2 * m_dropDownBorderWidth;
    const int footer = m_footer.visible ? m_footer.height : 0;
    int w, h;
    if (m_style == ColorSelectionStyle::List) {
        const QSize list = m_itemSelector->selector()->size();
        w = m_dropDownWidth > 0 ? m_dropDownWidth : list.width() + border;
        h = m_dropDownHeight > 0 ? m_dropDownHeight : list.height() + border + footer;
        if (list.height() > h - border - footer)
            w += m_itemSelector->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                      m_itemSelector);
    } else {
        QWidget* panel =
            m_style == ColorSelectionStyle::Discrete    ? static_cast<QWidget*>(m_colorSelector)
            : m_style == ColorSelectionStyle::ColorCube ? static_cast<QWidget*>(m_cubePanel)
                                                        : static_cast<QWidget*>(m_spectrumPanel);
        const QSize s = panel ? panel->size() : QSize();
        w = s.width() + border;
        h = s.height() + border + footer;
    }
    return QSize(qMax(80, w), qMax(50, h));
}

QPoint ColorPickerDropDown::dropDownPosition(const QSize& size) const
{
    const QPoint top = mapToGlobal(QPoint(0, 0));
    const QScreen* scr = screen();
    const QRect screenRect = scr ? scr->geometry() : QRect(0, 0, 1 << 20, 1 << 20);
    const QRect work = scr ? scr->availableGeometry() : screenRect;
    bool below = true;
    if (m_dropPosition == DropPosition::Up)
        below = false;
    else if (m_dropPosition == DropPosition::Auto)
        below = top.y() + size.height() < screenRect.y() + screenRect.height();
    QPoint pos(top.x(), below ? top.y() + height() - 1 : top.y() - size.height());
    const int workRight = work.x() + work.width();
    if (pos.x() + size.width() > workRight && pos.x() >= work.x() && pos.x() < workRight)
        pos.setX(workRight - size.width());
    return pos;
}

void ColorPickerDropDown::applyMinimumSize(const QSize& natural)
{
    // A panel has a fixed size: a smaller window would let it cover the footer.
    m_form->setMinimumSize(m_style == ColorSelectionStyle::List ? QSize(80, 50) : natural);
}

bool ColorPickerDropDown::droppedDown() const
{
    return m_form->isVisible();
}

void ColorPickerDropDown::showDropDown()
{
    if (droppedDown() || m_opening || m_deactivating || !isEnabled())
        return;
    m_opening = true;
    prepareContent();
    if (m_footer.visible) {
        m_form->footer()->setup(m_footer, m_buttonAppearance, m_dropDownSizeable,
                                m_dropDownBorderColor == kColorNone);
        m_form->setFooterHeight(m_footer.height);
    } else {
        m_form->setFooterHeight(0);
    }
    m_form->setFrame(m_dropDownColor, m_dropDownBorderColor, m_dropDownBorderWidth);
    m_form->setCornerSizeable(m_style == ColorSelectionStyle::List && m_dropDownSizeable &&
                              !(m_footer.visible && m_footer.sizeGrip));
    const QSize natural = dropDownSize();
    applyMinimumSize(natural);
    const QSize size =
        (m_userSize.isValid() ? m_userSize : natural).expandedTo(m_form->minimumSize());
    m_form->setWindowFlag(Qt::NoDropShadowWindowHint, !m_dropDownShadow);
    m_form->resize(size);
    m_form->move(dropDownPosition(size));
    m_form->show();
    m_form->raise();
    m_form->setFocus(Qt::PopupFocusReason);
    if (m_style == ColorSelectionStyle::List)
        m_itemSelector->ensureItemVisible(m_itemIndex);
    m_opening = false;
}

void ColorPickerDropDown::hideDropDown(bool cancelChanges)
{
    if (!droppedDown())
        return;
    m_userSize = m_form->size();
    m_form->hideWithoutDeactivation();
    finishClose(cancelChanges);
}

void ColorPickerDropDown::dropDownDeactivated()
{
    m_deactivating = true;
    m_userSize = m_form->size();
    m_sinceDeactivation.start();
    finishClose(true);
    m_deactivating = false;
}

void ColorPickerDropDown::footerClicked(int index)
{
    const FooterAppearance footer = m_footer;
    emit footerButtonClicked(index);
    if (index < footer.buttons.size()) {
        const int mr = footer.buttons[index].modalResult;
        // Cancel, Abort, Ignore, No and Close close cancelling; others accepting.
        if (mr != 0)
            hideDropDown(mr == 2 || mr == 3 || mr == 5 || mr == 7 || mr == 8);
    }
}

void ColorPickerDropDown::finishClose(bool cancel)
{
    QToolTip::hideText();
    m_itemSelector->selector()->setHotIndex(-1);
    if (isVisible())
        setFocus(Qt::PopupFocusReason);
    update();
    if (!cancel)
        return;
    switch (m_style) {
    case ColorSelectionStyle::List:
        setItemIndex(m_oldItemIndex);
        break;
    case ColorSelectionStyle::Discrete:
        // A colour of the palette comes back through its selection event.
        if (m_colorSelector)
            m_colorSelector->setSelectedColor(m_oldSelectedColor);
        break;
    case ColorSelectionStyle::ColorCube:
    case ColorSelectionStyle::Spectrum:
        break;
    }
}

void ColorPickerDropDown::panelPicked(Color c, bool fromPalette)
{
    setSelectedColor(c);
    setItemIndex(-1);
    if (!(fromPalette && m_internalCall))
        hideDropDown(false);
}

bool ColorPickerDropDown::windowTakesEnter() const
{
    // Qt presses default buttons on Enter only inside a dialog.
    const auto* dialog = qobject_cast<const QDialog*>(window());
    if (!dialog)
        return false;
    const auto buttons = dialog->findChildren<QPushButton*>();
    for (const QPushButton* b : buttons)
        if (b->isDefault() && b->isVisible() && b->isEnabled())
            return true;
    return false;
}

CustomColorSelector* ColorPickerDropDown::closedPaletteUpToDate(bool open)
{
    CustomColorSelector* palette = ensureColorSelector();
    // While closed the palette may still hold the selection of its last showing, or
    // none at all; keys and the wheel step from the picker's colour.
    if (!open && !palette->isVisible()) {
        m_preparing = true; // only bring the palette up to date, no pick
        palette->setSelectedColor(m_selectedColor);
        m_preparing = false;
    }
    return palette;
}

int ColorPickerDropDown::pageRows() const
{
    const int itemHeight = m_itemSelector->selector()->itemSize().height();
    int height;
    if (droppedDown()) {
        height = m_itemSelector->viewport()->height();
    } else {
        const QSize s = m_userSize.isValid() ? m_userSize : dropDownSize();
        height = s.height() - 2 * m_dropDownBorderWidth - (m_footer.visible ? m_footer.height : 0);
    }
    return itemHeight > 0 ? qMax(1, height / itemHeight) : 1;
}

void ColorPickerDropDown::listKey(int key, bool open)
{
    const int count = int(m_colors.size());
    if (count == 0)
        return;
    const int cur = m_itemIndex;
    const int columns = open ? m_columns : 1;
    int next = cur;
    switch (key) {
    case Qt::Key_Up:
        next = cur < 0 ? 0 : (cur - columns >= 0 ? cur - columns : cur);
        break;
    case Qt::Key_Down:
        next = cur < 0 ? 0 : (cur + columns < count ? cur + columns : cur);
        break;
    case Qt::Key_Left:
        if (!open)
            return;
        next = cur < 0 ? 0 : qMax(0, cur - 1);
        break;
    case Qt::Key_Right:
        if (!open)
            return;
        next = cur < 0 ? 0 : qMin(count - 1, cur + 1);
        break;
    case Qt::Key_Home:
        next = 0;
        break;
    case Qt::Key_End:
        next = count - 1;
        break;
    case Qt::Key_PageUp:
        next = qMax(0, qMax(cur, 0) - pageRows() * m_columns);
        break;
    case Qt::Key_PageDown:
        next = cur < 0 ? 0 : qMin(count - 1, cur + pageRows() * m_columns);
        break;
    default:
        return;
    }
    if (next == cur)
        return;
    m_internalCall = true;
    setItemIndex(next);
    m_internalCall = false;
    if (open)
        m_itemSelector->ensureItemVisible(next);
}

void ColorPickerDropDown::searchKey(const QString& text)
{
    m_curSearch += text.toUpper();
    if (!m_keyTimer->isActive())
        m_keyTimer->start();
    const int count = int(m_colors.size());
    const int selected = m_itemIndex;
    const int start = selected < 0 ? 0 : selected;
    auto matches = [&](int i) {
        return m_colors[i].enabled &&
               searchableCaption(m_colors[i].caption).startsWith(m_curSearch);
    };
    int found = -1;
    for (int i = start; i < count && found < 0; ++i)
        if (i != selected && matches(i))
            found = i;
    if (found < 0 && start != 0)
        for (int i = 0; i < count && found < 0; ++i)
            if (matches(i))
                found = i;
    m_internalCall = true;
    setItemIndex(found >= 0 ? found : selected);
    m_internalCall = false;
    if (found >= 0 && droppedDown())
        m_itemSelector->ensureItemVisible(found);
}

bool ColorPickerDropDown::handleKey(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    const bool alt = modifiers & Qt::AltModifier;
    const bool open = droppedDown();
    if ((alt && (key == Qt::Key_Up || key == Qt::Key_Down)) || (!alt && key == Qt::Key_F4)) {
        if (open)
            hideDropDown(false);
        else
            showDropDown();
        return true;
    }
    if (alt)
        return false;

    switch (key) {
    case Qt::Key_Escape:
        if (!open)
            return false;
        hideDropDown(true);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!open) {
            if ((m_style != ColorSelectionStyle::List &&
                 m_style != ColorSelectionStyle::Discrete) ||
                windowTakesEnter())
                return false;
            emit colorSelected(m_selectedColor);
            return true;
        }
        if (m_style == ColorSelectionStyle::List) {
            const int hot = m_itemSelector->selector()->hotIndex();
            if (hot >= 0) {
                setItemIndex(hot);
                hideDropDown(false);
            } else {
                hideDropDown(false);
                emit colorSelected(m_selectedColor);
            }
        } else if (m_style == ColorSelectionStyle::Discrete && m_colorSelector &&
                   m_colorSelector->itemHot() >= 0) {
            m_colorSelector->setItemIndex(m_colorSelector->itemHot()); // a pick: closes
        } else if (m_style == ColorSelectionStyle::ColorCube && m_cubePanel &&
                   m_cubePanel->keyboardHot()) {
            m_cubePanel->pickHotCell(); // a pick: closes
        } else if (m_style == ColorSelectionStyle::Spectrum && m_spectrumPanel &&
                   m_spectrumPanel->keyboardHot()) {
            m_spectrumPanel->pickHotColor(); // a pick: closes
        } else {
            hideDropDown(false);
            if (m_style == ColorSelectionStyle::Discrete)
                emit colorSelected(m_selectedColor);
        }
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (m_style == ColorSelectionStyle::List) {
            listKey(key, open);
        } else if (m_style == ColorSelectionStyle::Discrete) {
            CustomColorSelector* palette = closedPaletteUpToDate(open);
            m_internalCall = true;
            palette->handleKey(key, open);
            m_internalCall = false;
        } else if (open && m_style == ColorSelectionStyle::ColorCube && m_cubePanel) {
            // The arrows move the cube's and the spectrum's keyboard mark; Enter picks.
            m_cubePanel->handleKey(key);
        } else if (open && m_style == ColorSelectionStyle::Spectrum && m_spectrumPanel) {
            m_spectrumPanel->handleKey(key, modifiers);
        }
        return true;
    default:
        break;
    }

    if (m_style == ColorSelectionStyle::List && !(modifiers & Qt::ControlModifier) &&
        !text.isEmpty() && text.at(0).isPrint()) {
        searchKey(text);
        return true;
    }
    return open; // an open drop-down swallows the rest
}

void ColorPickerDropDown::handleWheel(bool down)
{
    const bool open = droppedDown();
    if (m_style == ColorSelectionStyle::List) {
        const int count = int(m_colors.size());
        if (count == 0)
            return;
        if (open) {
            CustomItemSelector* list = m_itemSelector->selector();
            const int base = list->hotIndex() >= 0 ? list->hotIndex() : m_itemIndex;
            int next = base < 0 ? 0 : base + (down ? 1 : -1);
            if (next < 0 || next >= count)
                return;
            list->setHotIndex(next);
            m_itemSelector->ensureItemVisible(next);
            return;
        }
        const int cur = m_itemIndex;
        const int next = cur < 0 ? 0 : cur + (down ? 1 : -1);
        if (next < 0 || next >= count || next == cur)
            return;
        m_internalCall = true;
        setItemIndex(next);
        m_internalCall = false;
    } else if (m_style == ColorSelectionStyle::Discrete) {
        CustomColorSelector* palette = closedPaletteUpToDate(open);
        m_internalCall = true;
        palette->handleWheel(down, open);
        m_internalCall = false;
    }
}

void ColorPickerDropDown::keyPressEvent(QKeyEvent* event)
{
    if (!handleKey(event->key(), event->modifiers(), event->text()))
        QWidget::keyPressEvent(event);
}

void ColorPickerDropDown::wheelEvent(QWheelEvent* event)
{
    const int dy = event->angleDelta().y();
    if (dy != 0)
        handleWheel(dy < 0);
    event->accept();
}

void ColorPickerDropDown::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (m_sinceDeactivation.isValid() && m_sinceDeactivation.elapsed() <= kReopenGuardMs)
        return;
    setFocus(Qt::MouseFocusReason);
    showDropDown();
}

void ColorPickerDropDown::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void ColorPickerDropDown::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void ColorPickerDropDown::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        hideDropDown(true);
    update();
}

QString ColorPickerDropDown::valueText() const
{
    if (m_selectedColor == kColorNone)
        return {};
    if (m_itemIndex >= 0 && m_itemIndex < m_colors.size())
        return m_colors[m_itemIndex].caption;
    // A panel's pick leaves no named colour selected; one of the same value still names it.
    const Color rgbValue = toRgbColor(m_selectedColor, palette());
    for (const ColorItem& item : m_colors)
        if (toRgbColor(item.color, palette()) == rgbValue)
            return item.caption;
    return accessibleColorText(m_selectedColor, palette());
}

void ColorPickerDropDown::announceValue()
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent event(this, valueText());
    QAccessible::updateAccessibility(&event);
}

QString ColorPickerDropDown::faceText() const
{
    if (m_style == ColorSelectionStyle::List && m_itemIndex >= 0)
        return m_colors[m_itemIndex].caption;
    if (m_selectedColor == kColorNone)
        return {};
    const Color c = toRgbColor(m_selectedColor, palette());
    switch (m_valueText) {
    case ColorValueText::NoText:
        return {};
    case ColorValueText::Hex:
        return QStringLiteral("%1").arg(quint32(c) & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper();
    case ColorValueText::WebName: {
        const QColor q(colorRed(c), colorGreen(c), colorBlue(c));
        for (const QString& name : QColor::colorNames())
            if (QColor(name) == q)
                return name;
        return colorToHtml(c);
    }
    case ColorValueText::Rgb:
        return QStringLiteral("Red:%1,Green:%2,Blue:%3")
            .arg(QString::number(colorRed(c)), QString::number(colorGreen(c)),
                 QString::number(colorBlue(c)));
    case ColorValueText::Html:
        return colorToHtml(c);
    }
    return {};
}

void ColorPickerDropDown::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int w = width();
    const int h = height();
    const int buttonWidth = m_dropDownButtonWidth;

    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect();
    frame.lineWidth = 1;
    frame.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, &p, this);

    if (buttonWidth > 0) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = QRect(w - buttonWidth - 1, 1, buttonWidth, h - 2);
        button.state |= droppedDown() ? QStyle::State_Sunken : QStyle::State_Raised;
        button.state &= ~QStyle::State_HasFocus;
        style()->drawControl(QStyle::CE_PushButtonBevel, &button, &p, this);
        QStyleOption arrow = button;
        const int aw = qMin(9, buttonWidth - 6);
        arrow.rect =
            QRect(button.rect.center().x() - aw / 2, button.rect.center().y() - aw / 2, aw, aw);
        style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &p, this);
    }

    if (m_selectedColor == kColorNone)
        return;
    const QPalette& pal = palette();
    const QRect work(QPoint(1, 1), QPoint(w - buttonWidth - 2 - 1, h - 2 - 1));
    const bool focused = hasFocus() && !droppedDown();
    if (focused) {
        const QRect f = work.adjusted(2, 2, -2, -2);
        p.fillRect(f, pal.color(QPalette::Highlight));
    }
    const QRect box(5, 1 + (h - m_boxHeight) / 2, m_boxWidth, m_boxHeight);
    p.setPen(paletteQColor(m_boxBorderColor, &pal));
    p.setBrush(paletteQColor(m_selectedColor, &pal));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    if (!m_showText)
        return;
    const QRect textRect(QPoint(box.right() + 1 + 4, work.top()), work.bottomRight());
    if (textRect.width() <= 0)
        return;
    p.setFont(font());
    p.setPen(pal.color(focused ? QPalette::HighlightedText : QPalette::Text));
    const QString text = fontMetrics().elidedText(faceText(), Qt::ElideRight, textRect.width());
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

} // namespace tavelorn
