#include "colorpickerdropdown.h"

#include "colorcubepanel.h"
#include "colorspectrumpanel.h"
#include "customcolorselector.h"
#include "itemselector.h"
#include "pickeraccessible.h"

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

using namespace ColorPicker;
using namespace tavelorn;

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
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    QString s = caption;
    if (s.contains(QLatin1String("</")))
        s.remove(tags);
    return s.trimmed().toUpper();
}

} // namespace

struct TColorPickerDropDown::Private
{
    TColorItems colors;
    int updateCount = 0;
    int itemIndex = -1;
    Color selectedColor = kColorNone;
    TColorSelectionStyle style = csList;
    TColorValueText valueText = cvtNone;
    bool showText = true;
    int boxWidth = 14;
    int boxHeight = 14;
    Color boxBorderColor = makeColor(0, 0, 0);
    int columns = 1;
    TItemLayout layout = ilCaptionRight;
    TItemAppearance itemAppearance;
    TSelectionColorStyle selectionColorStyle = scOffice2007;
    Color dropDownColor = makeColor(255, 255, 255);
    Color dropDownBorderColor = makeColor(0, 0, 0);
    int dropDownBorderWidth = 1;
    bool dropDownShadow = true;
    bool dropDownSizeable = true;
    int dropDownWidth = 0;
    int dropDownHeight = 200;
    int dropDownButtonWidth = 17;
    TDropPosition dropPosition = dpAuto;
    TFooterAppearance footer;
    TButtonAppearance buttonAppearance;

    int oldItemIndex = -1;
    Color oldSelectedColor = kColorNone;
    QString curSearch;
    QTimer keyTimer;
    bool internalCall = false;
    bool preparing = false;
    bool opening = false;
    bool deactivating = false;
    QElapsedTimer sinceDeactivation;
    QSize userSize; // the size the window had when it last closed

    TDropDownForm* form = nullptr;
    TScrollingItemSelector* itemSelector = nullptr;
    TCustomColorSelector* colorSelector = nullptr;
    TColorCubePanel* cubePanel = nullptr;
    TColorSpectrumPanel* spectrumPanel = nullptr;
};

TColorPickerDropDown::TColorPickerDropDown(QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    InstallPickerAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_Hover);
    d->keyTimer.setObjectName(QStringLiteral("FKeyTimer"));
    d->keyTimer.setParent(this);
    d->keyTimer.setSingleShot(true);
    d->keyTimer.setInterval(kSearchResetMs);
    connect(&d->keyTimer, &QTimer::timeout, this, [this] {
        d->keyTimer.stop();
        d->curSearch.clear();
    });

    d->form = new TDropDownForm(this);
    d->itemSelector = new TScrollingItemSelector(d->form);
    d->itemSelector->hide();
    connect(d->itemSelector->Selector(), &TCustomItemSelector::itemPressed, this, [this](int i) {
        setItemIndex(i);
        HideDropDown(false);
    });
}

TColorPickerDropDown::~TColorPickerDropDown()
{
    d->keyTimer.setParent(nullptr); // owned by d, not by the object tree
    // The window goes first, quietly: its closing must not reach a half-destroyed picker.
    d->form->hideByPicker();
    delete d->form;
}

// ------------------------------------------------------------ colours and selection

const TColorItems& TColorPickerDropDown::Colors() const
{
    return d->colors;
}

static QList<TSelectorItem> selectorItems(const TColorItems& colors)
{
    QList<TSelectorItem> items;
    for (const TColorItem& c : colors)
        items.append({c.Caption, c.Color, c.Hint, c.Enabled, {}});
    return items;
}

void TColorPickerDropDown::setColors(const TColorItems& colors)
{
    d->colors = colors;
    if (d->itemIndex >= d->colors.size())
        d->itemIndex = -1;
    if (d->updateCount == 0) {
        d->itemSelector->Selector()->setItems(selectorItems(d->colors));
        d->itemSelector->Selector()->setItemIndex(d->itemIndex);
    }
    update();
}

void TColorPickerDropDown::AddColor(const QString& caption, Color color, const QString& hint)
{
    TColorItems colors = d->colors;
    colors.append({caption, color, true, hint});
    setColors(colors);
}

void TColorPickerDropDown::ClearColors()
{
    setColors({});
}

void TColorPickerDropDown::AddDefaultColors()
{
    TColorItems colors;
    for (const NamedColor& c : kDefaultColors)
        colors.append({QString::fromLatin1(c.caption), colorFromHex(c.rrggbb), true, {}});
    setColors(colors);
}

void TColorPickerDropDown::BeginUpdate()
{
    ++d->updateCount;
}

void TColorPickerDropDown::EndUpdate()
{
    if (d->updateCount == 0)
        return;
    if (--d->updateCount == 0)
        setColors(d->colors);
}

int TColorPickerDropDown::ItemIndex() const
{
    return d->itemIndex;
}

void TColorPickerDropDown::setItemIndex(int index)
{
    if (index >= d->colors.size())
        return;
    d->itemIndex = index < 0 ? -1 : index;
    if (d->itemIndex >= 0)
        d->selectedColor = d->colors[d->itemIndex].Color;
    d->itemSelector->Selector()->setItemIndex(d->itemIndex);
    update();
    NotifyPickerValueChanged(this);
    emit OnSelect();
}

Color TColorPickerDropDown::SelectedColor() const
{
    return d->selectedColor;
}

void TColorPickerDropDown::setSelectedColor(Color c)
{
    if (c == d->selectedColor)
        return;
    d->selectedColor = colorToRGB(c, palette());
    for (int i = 0; i < d->colors.size(); ++i) {
        if (colorToRGB(d->colors[i].Color, palette()) == d->selectedColor) {
            setItemIndex(i);
            return;
        }
    }
    d->itemIndex = -1;
    d->itemSelector->Selector()->setItemIndex(-1);
    update();
    NotifyPickerValueChanged(this);
}

// ------------------------------------------------------------ properties

TColorSelectionStyle TColorPickerDropDown::ColorSelectionStyle() const
{
    return d->style;
}

void TColorPickerDropDown::setColorSelectionStyle(TColorSelectionStyle s)
{
    if (s == d->style)
        return;
    d->style = s;
    d->userSize = QSize();
    prepareContent();
    d->oldSelectedColor = d->selectedColor;
    d->form->setCornerSizeable(s == csList && d->dropDownSizeable &&
                               !(d->footer.Visible && d->footer.SizeGrip));
    if (DroppedDown()) {
        const QSize size = dropDownSize();
        applyMinimumSize(size);
        d->form->resize(size);
        // The new height may no longer fit below (or above) the control.
        d->form->move(dropDownPosition(size));
        if (s == csList)
            d->itemSelector->ensureItemVisible(d->itemIndex);
        d->form->update();
    }
    update();
}

TColorValueText TColorPickerDropDown::ColorValueText() const
{
    return d->valueText;
}
void TColorPickerDropDown::setColorValueText(TColorValueText v)
{
    d->valueText = v;
    update();
}
bool TColorPickerDropDown::ShowText() const
{
    return d->showText;
}
void TColorPickerDropDown::setShowText(bool on)
{
    d->showText = on;
    update();
}
int TColorPickerDropDown::ColorBoxWidth() const
{
    return d->boxWidth;
}
void TColorPickerDropDown::setColorBoxWidth(int v)
{
    d->boxWidth = qMax(0, v);
    update();
}
int TColorPickerDropDown::ColorBoxHeight() const
{
    return d->boxHeight;
}
void TColorPickerDropDown::setColorBoxHeight(int v)
{
    d->boxHeight = qMax(0, v);
    update();
}
Color TColorPickerDropDown::ColorBoxBorderColor() const
{
    return d->boxBorderColor;
}
void TColorPickerDropDown::setColorBoxBorderColor(Color c)
{
    d->boxBorderColor = c;
    update();
}
int TColorPickerDropDown::Columns() const
{
    return d->columns;
}
void TColorPickerDropDown::setColumns(int v)
{
    d->columns = qMax(1, v);
}
TItemLayout TColorPickerDropDown::Layout() const
{
    return d->layout;
}
void TColorPickerDropDown::setLayout(TItemLayout l)
{
    d->layout = l;
}
TItemAppearance TColorPickerDropDown::ItemAppearance() const
{
    return d->itemAppearance;
}
void TColorPickerDropDown::setItemAppearance(const TItemAppearance& a)
{
    d->itemAppearance = a;
}
TSelectionColorStyle TColorPickerDropDown::SelectionColorStyle() const
{
    return d->selectionColorStyle;
}
void TColorPickerDropDown::setSelectionColorStyle(TSelectionColorStyle s)
{
    d->selectionColorStyle = s;
}
int TColorPickerDropDown::DropDownButtonWidth() const
{
    return d->dropDownButtonWidth;
}
void TColorPickerDropDown::setDropDownButtonWidth(int v)
{
    d->dropDownButtonWidth = qMax(0, v);
    update();
}
Color TColorPickerDropDown::DropDownColor() const
{
    return d->dropDownColor;
}
void TColorPickerDropDown::setDropDownColor(Color c)
{
    d->dropDownColor = c;
}
Color TColorPickerDropDown::DropDownBorderColor() const
{
    return d->dropDownBorderColor;
}
void TColorPickerDropDown::setDropDownBorderColor(Color c)
{
    d->dropDownBorderColor = c;
}
int TColorPickerDropDown::DropDownBorderWidth() const
{
    return d->dropDownBorderWidth;
}
void TColorPickerDropDown::setDropDownBorderWidth(int v)
{
    d->dropDownBorderWidth = qMax(0, v);
}
bool TColorPickerDropDown::DropDownShadow() const
{
    return d->dropDownShadow;
}
void TColorPickerDropDown::setDropDownShadow(bool on)
{
    d->dropDownShadow = on;
}
bool TColorPickerDropDown::DropDownSizeable() const
{
    return d->dropDownSizeable;
}
void TColorPickerDropDown::setDropDownSizeable(bool on)
{
    d->dropDownSizeable = on;
}
int TColorPickerDropDown::DropDownWidth() const
{
    return d->dropDownWidth;
}
void TColorPickerDropDown::setDropDownWidth(int v)
{
    if (v == d->dropDownWidth)
        return;
    d->dropDownWidth = qMax(0, v);
    d->userSize = QSize();
}
int TColorPickerDropDown::DropDownHeight() const
{
    return d->dropDownHeight;
}
void TColorPickerDropDown::setDropDownHeight(int v)
{
    if (v == d->dropDownHeight)
        return;
    d->dropDownHeight = qMax(0, v);
    d->userSize = QSize();
}
TDropPosition TColorPickerDropDown::DropPosition() const
{
    return d->dropPosition;
}
void TColorPickerDropDown::setDropPosition(TDropPosition p)
{
    d->dropPosition = p;
}
TFooterAppearance TColorPickerDropDown::DropDownFooter() const
{
    return d->footer;
}
void TColorPickerDropDown::setDropDownFooter(const TFooterAppearance& f)
{
    d->footer = f;
}
TButtonAppearance TColorPickerDropDown::ButtonAppearance() const
{
    return d->buttonAppearance;
}
void TColorPickerDropDown::setButtonAppearance(const TButtonAppearance& a)
{
    d->buttonAppearance = a;
}

TDropDownForm* TColorPickerDropDown::DropDownForm() const
{
    return d->form;
}
TScrollingItemSelector* TColorPickerDropDown::ItemSelector() const
{
    return d->itemSelector;
}
TCustomColorSelector* TColorPickerDropDown::ColorSelector() const
{
    return d->colorSelector;
}
TColorCubePanel* TColorPickerDropDown::ColorCubePanel() const
{
    return d->cubePanel;
}
TColorSpectrumPanel* TColorPickerDropDown::SpectrumPanel() const
{
    return d->spectrumPanel;
}
QString TColorPickerDropDown::CurrentSearch() const
{
    return d->curSearch;
}

QSize TColorPickerDropDown::sizeHint() const
{
    return QSize(145, 21);
}
QSize TColorPickerDropDown::minimumSizeHint() const
{
    return QSize(d->dropDownButtonWidth + 24, 21);
}

// ------------------------------------------------------------ content and window

TCustomColorSelector* TColorPickerDropDown::ensureColorSelector()
{
    if (!d->colorSelector) {
        d->colorSelector = new TCustomColorSelector(d->form);
        d->colorSelector->hide();
        connect(d->colorSelector, &TCustomColorSelector::OnItemSelect, this, [this] {
            // Assigning the picker's colour when the palette is shown is no pick.
            if (!d->preparing)
                panelPicked(d->colorSelector->SelectedColor(), true);
        });
    }
    return d->colorSelector;
}

void TColorPickerDropDown::prepareContent()
{
    d->preparing = true;
    d->oldSelectedColor = d->selectedColor;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(d->dropDownColor, &pal));
    QWidget* content = nullptr;
    switch (d->style) {
    case csList: {
        TCustomItemSelector* list = d->itemSelector->Selector();
        list->setItems(selectorItems(d->colors));
        list->setColumns(d->columns);
        list->setItemLayout(d->layout);
        list->setBackgroundColor(d->dropDownColor);
        list->setColorBox(d->boxWidth, d->boxHeight);
        list->setAppearance(d->itemAppearance);
        list->LayoutItems();
        list->setItemIndex(d->itemIndex);
        d->itemSelector->setPalette(pal);
        d->itemSelector->viewport()->setPalette(pal);
        d->oldItemIndex = d->itemIndex;
        content = d->itemSelector;
        break;
    }
    case csDiscrete: {
        TCustomColorSelector* palette = ensureColorSelector();
        palette->setPalette(pal);
        palette->setSelectedColor(d->selectedColor);
        palette->Layout();
        palette->setItemColorStyle(d->selectionColorStyle);
        content = palette;
        break;
    }
    case csColorCube:
        if (!d->cubePanel) {
            d->cubePanel = new TColorCubePanel(d->form);
            connect(d->cubePanel, &TColorCubePanel::OnSelect, this,
                    [this] { panelPicked(d->cubePanel->SelectedColor(), false); });
        }
        d->cubePanel->setPalette(pal);
        d->cubePanel->ResetCells();
        d->cubePanel->setSelectedColor(d->selectedColor);
        d->cubePanel->setFixedSize(182, 160);
        d->cubePanel->update();
        content = d->cubePanel;
        break;
    case csSpectrum:
        if (!d->spectrumPanel) {
            d->spectrumPanel = new TColorSpectrumPanel(d->form);
            connect(d->spectrumPanel, &TColorSpectrumPanel::OnSelect, this,
                    [this] { panelPicked(d->spectrumPanel->SelectedColor(), false); });
        }
        d->spectrumPanel->setPalette(pal);
        d->spectrumPanel->setSelectedColor(d->selectedColor);
        d->spectrumPanel->Layout();
        content = d->spectrumPanel;
        break;
    }
    for (QWidget* w :
         {static_cast<QWidget*>(d->itemSelector), static_cast<QWidget*>(d->colorSelector),
          static_cast<QWidget*>(d->cubePanel), static_cast<QWidget*>(d->spectrumPanel)})
        if (w && w != content)
            w->hide();
    d->form->setContent(content);
    d->preparing = false;
}

QSize TColorPickerDropDown::dropDownSize() const
{
    const int border = 2 * d->dropDownBorderWidth;
    const int footer = d->footer.Visible ? d->footer.Height : 0;
    int w, h;
    if (d->style == csList) {
        const QSize list = d->itemSelector->Selector()->size();
        w = d->dropDownWidth > 0 ? d->dropDownWidth : list.width() + border;
        h = d->dropDownHeight > 0 ? d->dropDownHeight : list.height() + border + footer;
        if (list.height() > h - border - footer)
            w += d->itemSelector->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                       d->itemSelector);
    } else {
        QWidget* panel = d->style == csDiscrete    ? static_cast<QWidget*>(d->colorSelector)
                         : d->style == csColorCube ? static_cast<QWidget*>(d->cubePanel)
                                                   : static_cast<QWidget*>(d->spectrumPanel);
        const QSize s = panel ? panel->size() : QSize();
        w = s.width() + border;
        h = s.height() + border + footer;
    }
    return QSize(qMax(80, w), qMax(50, h));
}

QPoint TColorPickerDropDown::dropDownPosition(const QSize& size) const
{
    const QPoint top = mapToGlobal(QPoint(0, 0));
    const QScreen* scr = screen();
    const QRect screenRect = scr ? scr->geometry() : QRect(0, 0, 1 << 20, 1 << 20);
    const QRect work = scr ? scr->availableGeometry() : screenRect;
    bool below = true;
    if (d->dropPosition == dpUp)
        below = false;
    else if (d->dropPosition == dpAuto)
        below = top.y() + size.height() < screenRect.y() + screenRect.height();
    QPoint pos(top.x(), below ? top.y() + height() - 1 : top.y() - size.height());
    const int workRight = work.x() + work.width();
    if (pos.x() + size.width() > workRight && pos.x() >= work.x() && pos.x() < workRight)
        pos.setX(workRight - size.width());
    return pos;
}

void TColorPickerDropDown::applyMinimumSize(const QSize& natural)
{
    // A panel has a fixed size: a smaller window would let it cover the footer.
    d->form->setMinimumSize(d->style == csList ? QSize(80, 50) : natural);
}

bool TColorPickerDropDown::DroppedDown() const
{
    return d->form->isVisible();
}

void TColorPickerDropDown::ShowDropDown()
{
    if (DroppedDown() || d->opening || d->deactivating || !isEnabled())
        return;
    d->opening = true;
    prepareContent();
    if (d->footer.Visible) {
        d->form->Footer()->Setup(d->footer, d->buttonAppearance, d->dropDownSizeable,
                                 d->dropDownBorderColor == kColorNone);
        d->form->setFooterHeight(d->footer.Height);
    } else {
        d->form->setFooterHeight(0);
    }
    d->form->setFrame(d->dropDownColor, d->dropDownBorderColor, d->dropDownBorderWidth);
    d->form->setCornerSizeable(d->style == csList && d->dropDownSizeable &&
                               !(d->footer.Visible && d->footer.SizeGrip));
    const QSize natural = dropDownSize();
    applyMinimumSize(natural);
    const QSize size =
        (d->userSize.isValid() ? d->userSize : natural).expandedTo(d->form->minimumSize());
    d->form->setWindowFlag(Qt::NoDropShadowWindowHint, !d->dropDownShadow);
    d->form->resize(size);
    d->form->move(dropDownPosition(size));
    d->form->show();
    d->form->raise();
    d->form->setFocus(Qt::PopupFocusReason);
    if (d->style == csList)
        d->itemSelector->ensureItemVisible(d->itemIndex);
    d->opening = false;
}

void TColorPickerDropDown::HideDropDown(bool CancelChanges)
{
    if (!DroppedDown())
        return;
    d->userSize = d->form->size();
    d->form->hideByPicker();
    finishClose(CancelChanges);
}

void TColorPickerDropDown::dropDownDeactivated()
{
    d->deactivating = true;
    d->userSize = d->form->size();
    d->sinceDeactivation.start();
    finishClose(true);
    d->deactivating = false;
}

void TColorPickerDropDown::finishClose(bool cancel)
{
    QToolTip::hideText();
    d->itemSelector->Selector()->setHotIndex(-1);
    if (isVisible())
        setFocus(Qt::PopupFocusReason);
    update();
    if (!cancel)
        return;
    switch (d->style) {
    case csList:
        setItemIndex(d->oldItemIndex);
        break;
    case csDiscrete:
        // A colour of the palette comes back through its selection event.
        if (d->colorSelector)
            d->colorSelector->setSelectedColor(d->oldSelectedColor);
        break;
    case csColorCube:
    case csSpectrum:
        break;
    }
}

void TColorPickerDropDown::panelPicked(Color c, bool fromPalette)
{
    setSelectedColor(c);
    setItemIndex(-1);
    if (!(fromPalette && d->internalCall))
        HideDropDown(false);
}

// ------------------------------------------------------------ keyboard and wheel

bool TColorPickerDropDown::windowTakesEnter() const
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

TCustomColorSelector* TColorPickerDropDown::closedPaletteUpToDate(bool open)
{
    TCustomColorSelector* palette = ensureColorSelector();
    // While closed the palette may still hold the selection of its last showing, or
    // none at all; keys and the wheel step from the picker's colour.
    if (!open && !palette->isVisible()) {
        d->preparing = true; // only bring the palette up to date, no pick
        palette->setSelectedColor(d->selectedColor);
        d->preparing = false;
    }
    return palette;
}

int TColorPickerDropDown::pageRows() const
{
    const int itemHeight = d->itemSelector->Selector()->ItemSize().height();
    int height;
    if (DroppedDown()) {
        height = d->itemSelector->viewport()->height();
    } else {
        const QSize s = d->userSize.isValid() ? d->userSize : dropDownSize();
        height =
            s.height() - 2 * d->dropDownBorderWidth - (d->footer.Visible ? d->footer.Height : 0);
    }
    return itemHeight > 0 ? qMax(1, height / itemHeight) : 1;
}

void TColorPickerDropDown::listKey(int key, bool open)
{
    const int count = int(d->colors.size());
    if (count == 0)
        return;
    const int cur = d->itemIndex;
    const int columns = open ? d->columns : 1;
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
        next = qMax(0, qMax(cur, 0) - pageRows() * d->columns);
        break;
    case Qt::Key_PageDown:
        next = cur < 0 ? 0 : qMin(count - 1, cur + pageRows() * d->columns);
        break;
    default:
        return;
    }
    if (next == cur)
        return;
    d->internalCall = true;
    setItemIndex(next);
    d->internalCall = false;
    if (open)
        d->itemSelector->ensureItemVisible(next);
}

void TColorPickerDropDown::searchKey(const QString& text)
{
    d->curSearch += text.toUpper();
    if (!d->keyTimer.isActive())
        d->keyTimer.start();
    const int count = int(d->colors.size());
    const int selected = d->itemIndex;
    const int start = selected < 0 ? 0 : selected;
    auto matches = [&](int i) {
        return d->colors[i].Enabled &&
               searchableCaption(d->colors[i].Caption).startsWith(d->curSearch);
    };
    int found = -1;
    for (int i = start; i < count && found < 0; ++i)
        if (i != selected && matches(i))
            found = i;
    if (found < 0 && start != 0)
        for (int i = 0; i < count && found < 0; ++i)
            if (matches(i))
                found = i;
    d->internalCall = true;
    setItemIndex(found >= 0 ? found : selected);
    d->internalCall = false;
    if (found >= 0 && DroppedDown())
        d->itemSelector->ensureItemVisible(found);
}

bool TColorPickerDropDown::handleKey(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    const bool alt = modifiers & Qt::AltModifier;
    const bool open = DroppedDown();
    if ((alt && (key == Qt::Key_Up || key == Qt::Key_Down)) || (!alt && key == Qt::Key_F4)) {
        if (open)
            HideDropDown(false);
        else
            ShowDropDown();
        return true;
    }
    if (alt)
        return false;

    switch (key) {
    case Qt::Key_Escape:
        if (!open)
            return false;
        HideDropDown(true);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!open) {
            if ((d->style != csList && d->style != csDiscrete) || windowTakesEnter())
                return false;
            emit OnSelect();
            return true;
        }
        if (d->style == csList) {
            const int hot = d->itemSelector->Selector()->HotIndex();
            if (hot >= 0) {
                setItemIndex(hot);
                HideDropDown(false);
            } else {
                HideDropDown(false);
                emit OnSelect();
            }
        } else if (d->style == csDiscrete && d->colorSelector && d->colorSelector->ItemHot() >= 0) {
            d->colorSelector->setItemIndex(d->colorSelector->ItemHot()); // a pick: closes
        } else if (d->style == csColorCube && d->cubePanel && d->cubePanel->KeyboardHot()) {
            d->cubePanel->PickHotCell(); // a pick: closes
        } else if (d->style == csSpectrum && d->spectrumPanel && d->spectrumPanel->KeyboardHot()) {
            d->spectrumPanel->PickHotColor(); // a pick: closes
        } else {
            HideDropDown(false);
            if (d->style == csDiscrete)
                emit OnSelect();
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
        if (d->style == csList) {
            listKey(key, open);
        } else if (d->style == csDiscrete) {
            TCustomColorSelector* palette = closedPaletteUpToDate(open);
            d->internalCall = true;
            palette->HandleKey(key, open);
            d->internalCall = false;
            NotifyPanelCurrent(palette);
        } else if (open && d->style == csColorCube && d->cubePanel) {
            // The arrows move the cube's and the spectrum's keyboard mark; Enter picks.
            if (d->cubePanel->HandleKey(key))
                NotifyPanelCurrent(d->cubePanel);
        } else if (open && d->style == csSpectrum && d->spectrumPanel) {
            if (d->spectrumPanel->HandleKey(key, modifiers))
                NotifyPanelCurrent(d->spectrumPanel);
        }
        return true;
    default:
        break;
    }

    if (d->style == csList && !(modifiers & Qt::ControlModifier) && !text.isEmpty() &&
        text.at(0).isPrint()) {
        searchKey(text);
        return true;
    }
    return open; // an open drop-down swallows the rest
}

void TColorPickerDropDown::handleWheel(bool down)
{
    const bool open = DroppedDown();
    if (d->style == csList) {
        const int count = int(d->colors.size());
        if (count == 0)
            return;
        if (open) {
            TCustomItemSelector* list = d->itemSelector->Selector();
            const int base = list->HotIndex() >= 0 ? list->HotIndex() : d->itemIndex;
            int next = base < 0 ? 0 : base + (down ? 1 : -1);
            if (next < 0 || next >= count)
                return;
            list->setHotIndex(next);
            d->itemSelector->ensureItemVisible(next);
            return;
        }
        const int cur = d->itemIndex;
        const int next = cur < 0 ? 0 : cur + (down ? 1 : -1);
        if (next < 0 || next >= count || next == cur)
            return;
        d->internalCall = true;
        setItemIndex(next);
        d->internalCall = false;
    } else if (d->style == csDiscrete) {
        TCustomColorSelector* palette = closedPaletteUpToDate(open);
        d->internalCall = true;
        palette->HandleWheel(down, open);
        d->internalCall = false;
    }
}

void TColorPickerDropDown::keyPressEvent(QKeyEvent* event)
{
    if (!handleKey(event->key(), event->modifiers(), event->text()))
        QWidget::keyPressEvent(event);
}

void TColorPickerDropDown::wheelEvent(QWheelEvent* event)
{
    const int dy = event->angleDelta().y();
    if (dy != 0)
        handleWheel(dy < 0);
    event->accept();
}

// ------------------------------------------------------------ the face

void TColorPickerDropDown::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (d->sinceDeactivation.isValid() && d->sinceDeactivation.elapsed() <= kReopenGuardMs)
        return;
    setFocus(Qt::MouseFocusReason);
    ShowDropDown();
}

void TColorPickerDropDown::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void TColorPickerDropDown::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void TColorPickerDropDown::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        HideDropDown(true);
    update();
}

QString TColorPickerDropDown::FaceText() const
{
    if (d->style == csList && d->itemIndex >= 0)
        return d->colors[d->itemIndex].Caption;
    if (d->selectedColor == kColorNone)
        return {};
    const Color c = colorToRGB(d->selectedColor, palette());
    switch (d->valueText) {
    case cvtNone:
        return {};
    case cvtHex:
        return QStringLiteral("%1").arg(quint32(c) & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper();
    case cvtWebName: {
        const QColor q(colorRed(c), colorGreen(c), colorBlue(c));
        for (const QString& name : QColor::colorNames())
            if (QColor(name) == q)
                return name;
        return colorToHtml(c);
    }
    case cvtRGB:
        return QStringLiteral("Red:%1,Green:%2,Blue:%3")
            .arg(QString::number(colorRed(c)), QString::number(colorGreen(c)),
                 QString::number(colorBlue(c)));
    case cvtHTML:
        return colorToHtml(c);
    }
    return {};
}

void TColorPickerDropDown::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int W = width();
    const int H = height();
    const int B = d->dropDownButtonWidth;

    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect();
    frame.lineWidth = 1;
    frame.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, &p, this);

    if (B > 0) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = QRect(W - B - 1, 1, B, H - 2);
        button.state |= DroppedDown() ? QStyle::State_Sunken : QStyle::State_Raised;
        button.state &= ~QStyle::State_HasFocus;
        style()->drawControl(QStyle::CE_PushButtonBevel, &button, &p, this);
        QStyleOption arrow = button;
        const int aw = qMin(9, B - 6);
        arrow.rect =
            QRect(button.rect.center().x() - aw / 2, button.rect.center().y() - aw / 2, aw, aw);
        style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &p, this);
    }

    if (d->selectedColor == kColorNone)
        return;
    const QPalette& pal = palette();
    const QRect work(QPoint(1, 1), QPoint(W - B - 2 - 1, H - 2 - 1));
    const bool focused = hasFocus() && !DroppedDown();
    if (focused) {
        const QRect f = work.adjusted(2, 2, -2, -2);
        p.fillRect(f, pal.color(QPalette::Highlight));
    }
    const QRect box(5, 1 + (H - d->boxHeight) / 2, d->boxWidth, d->boxHeight);
    p.setPen(toQColor(d->boxBorderColor, &pal));
    p.setBrush(toQColor(d->selectedColor, &pal));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    if (!d->showText)
        return;
    const QRect textRect(QPoint(box.right() + 1 + 4, work.top()), work.bottomRight());
    if (textRect.width() <= 0)
        return;
    p.setFont(font());
    p.setPen(pal.color(focused ? QPalette::HighlightedText : QPalette::Text));
    const QString text = fontMetrics().elidedText(FaceText(), Qt::ElideRight, textRect.width());
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}
