#include "pickeraccessible.h"

#include "colorcubepanel.h"
#include "colorpickerdropdown.h"
#include "colorspectrumpanel.h"
#include "customcolorselector.h"
#include "dropdownform.h"
#include "itemselector.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

#include <functional>
#include <memory>

#include <mutex>

using namespace ColorPicker;
using namespace tavelorn;

namespace {

QString colourText(Color c, const QPalette& palette)
{
    return c == kColorNone ? QString() : colorToHtml(colorToRGB(c, palette));
}

// The picker: a combo box. Its value is also offered as read-only text, the one place
// AT-SPI gives a combo box's value.
class PickerInterface : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit PickerInterface(TColorPickerDropDown* picker)
        : QAccessibleWidget(picker, QAccessible::ComboBox)
    {
    }

    TColorPickerDropDown* picker() const { return static_cast<TColorPickerDropDown*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return PickerValueText(picker());
        QString s = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && s.isEmpty())
            s = QStringLiteral("Color");
        return s;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.hasPopup = true;
        s.expanded = picker()->DroppedDown();
        s.collapsed = !s.expanded;
        return s;
    }

    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(picker()->DropDownForm())
                          : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == picker()->DropDownForm() ? 0 : -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override
    {
        if (name == showMenuAction() || name == pressAction()) {
            if (picker()->DroppedDown())
                picker()->HideDropDown(false);
            else
                picker()->ShowDropDown();
            return;
        }
        QAccessibleWidget::doAction(name);
    }

    // Read-only text: the value.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override
    {
        QString v = PickerValueText(picker());
        if (start < 0 || end < start)
            return v;
        return v.mid(start, end - start);
    }
    int characterCount() const override { return int(PickerValueText(picker()).size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }
};

// A widget with a role, a name of its own unless the host gave one, and optionally a
// value.
class NamedWidgetInterface : public QAccessibleWidget
{
public:
    NamedWidgetInterface(QWidget* w, QAccessible::Role role, QString name,
                         std::function<QString()> value = {})
        : QAccessibleWidget(w, role), m_name(std::move(name)), m_value(std::move(value))
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value && m_value)
            return m_value();
        QString s = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && s.isEmpty())
            s = m_name;
        return s;
    }

private:
    QString m_name;
    std::function<QString()> m_value;
};

// The drop-down window: a separate window on screen, but the picker's child here, as
// a combo box's list is.
class DropDownFormInterface : public NamedWidgetInterface
{
public:
    explicit DropDownFormInterface(TDropDownForm* form)
        : NamedWidgetInterface(form, QAccessible::Pane, QStringLiteral("Color choices"))
    {
    }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(widget()->parentWidget());
    }
};

class FlatButtonInterface : public QAccessibleWidget
{
public:
    explicit FlatButtonInterface(TFlatButton* b) : QAccessibleWidget(b, QAccessible::Button) {}
    QString text(QAccessible::Text t) const override
    {
        const auto* b = static_cast<TFlatButton*>(widget());
        if (t == QAccessible::Description && !b->Button().Hint.isEmpty())
            return b->Button().Hint;
        QString s = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && s.isEmpty())
            s = b->Button().AccessibleName;
        if (t == QAccessible::Name && s.isEmpty())
            s = b->Button().Caption;
        return s;
    }
    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            static_cast<TFlatButton*>(widget())->click();
        else
            QAccessibleWidget::doAction(name);
    }
};

// One named colour of the list; the list paints its entries, so they have no widget.
class EntryInterface : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    EntryInterface(TCustomItemSelector* list, int index) : m_list(list), m_index(index) {}

    int index() const { return m_index; }

    bool isValid() const override { return m_list && m_index < m_list->Items().size(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_list ? m_list->window()->windowHandle() : nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const TSelectorItem& item = m_list->Items()[m_index];
        s.selectable = true;
        s.focusable = true;
        s.selected = m_index == m_list->ItemIndex();
        s.focused = s.selected && m_list->isVisible();
        s.hotTracked = m_index == m_list->HotIndex();
        s.disabled = !item.Enabled;
        s.invisible = !m_list->isVisible();
        return s;
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = m_list->Items()[m_index].Rect;
        return QRect(m_list->mapToGlobal(r.topLeft()), r.size());
    }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        const TSelectorItem& item = m_list->Items()[m_index];
        switch (t) {
        case QAccessible::Name:
            return item.Caption;
        case QAccessible::Description:
            return item.Hint;
        case QAccessible::Value:
            return colourText(item.Color, m_list->palette());
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_list.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                 : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && isValid())
            m_list->PressItem(m_index);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<TCustomItemSelector> m_list;
    int m_index;
};

// The colour cells of the palette or of the honeycomb, as the list's items read them.
struct CellSource
{
    std::function<int()> count;
    std::function<Color(int)> color;
    std::function<QRect(int)> rect; // in the panel's coordinates
    std::function<bool(int)> selected;
    std::function<bool(int)> current; // under the pointer or the keyboard's mark
    std::function<int(const QPoint&)> at;
};

// One colour cell; the panels paint their cells, so these have no widget. The name is
// the colour's value, which is all a cell has to tell.
class CellInterface : public QAccessibleInterface
{
public:
    CellInterface(QWidget* panel, std::shared_ptr<const CellSource> source, int index)
        : m_panel(panel), m_source(std::move(source)), m_index(index)
    {
    }

    int index() const { return m_index; }

    bool isValid() const override { return m_panel && m_index < m_source->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override
    {
        return m_panel ? m_panel->window()->windowHandle() : nullptr;
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        s.selected = m_source->selected(m_index);
        s.hotTracked = m_source->current(m_index);
        s.focused = s.hotTracked && m_panel->isVisible();
        s.invisible = !m_panel->isVisible();
        return s;
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = m_source->rect(m_index);
        return QRect(m_panel->mapToGlobal(r.topLeft()), r.size());
    }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid() || (t != QAccessible::Name && t != QAccessible::Value))
            return {};
        return colourText(m_source->color(m_index), m_panel->palette());
    }
    void setText(QAccessible::Text, const QString&) override {}

    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_panel.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

private:
    QPointer<QWidget> m_panel;
    std::shared_ptr<const CellSource> m_source;
    int m_index;
};

// A panel of colour cells: a list whose items are the cells, its value the colour under
// the pointer or the keyboard's mark, else the selected one.
class CellListInterface : public NamedWidgetInterface
{
public:
    CellListInterface(QWidget* panel, QString name, std::function<QString()> value,
                      std::shared_ptr<const CellSource> source)
        : NamedWidgetInterface(panel, QAccessible::List, std::move(name), std::move(value)),
          m_source(std::move(source))
    {
    }
    ~CellListInterface() override
    {
        for (const QAccessible::Id id : std::as_const(m_cells))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return m_source->count(); }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        if (const QAccessible::Id id = m_cells.value(index))
            return QAccessible::accessibleInterface(id);
        auto* cell = new CellInterface(widget(), m_source, index);
        m_cells.insert(index, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto* cell = dynamic_cast<const CellInterface*>(child);
        return cell && cell->parent() == this ? cell->index() : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const int i = m_source->at(widget()->mapFromGlobal(QPoint(x, y)));
        return i >= 0 ? child(i) : nullptr;
    }
    QAccessibleInterface* focusChild() const override
    {
        if (!widget()->isVisible())
            return nullptr;
        for (int i = 0; i < childCount(); ++i)
            if (m_source->current(i))
                return child(i);
        return nullptr;
    }

private:
    std::shared_ptr<const CellSource> m_source;
    mutable QHash<int, QAccessible::Id> m_cells;
};

std::shared_ptr<const CellSource> paletteCells(TCustomColorSelector* palette)
{
    auto s = std::make_shared<CellSource>();
    s->count = [palette] { return int(palette->Items().size()); };
    s->color = [palette](int i) { return palette->Items()[i].Color; };
    s->rect = [palette](int i) { return palette->Items()[i].Rect; };
    s->selected = [palette](int i) { return palette->ItemIndex() == i; };
    // The keys move the selection itself; the pointer only the hot box.
    s->current = [palette](int i) {
        return palette->ItemHot() >= 0 ? palette->ItemHot() == i : palette->ItemIndex() == i;
    };
    s->at = [palette](const QPoint& p) { return palette->ItemAt(p); };
    return s;
}

// The cube numbers its cells from 1; the list counts from 0.
std::shared_ptr<const CellSource> cubeCells(TColorCubePanel* cube)
{
    auto s = std::make_shared<CellSource>();
    s->count = [] { return TColorCubePanel::CellCount; };
    s->color = [cube](int i) { return cube->CubeCellColor(i + 1); };
    s->rect = [cube](int i) {
        const QPoint c = cube->CubeCellCenter(i + 1);
        return QRect(c.x() - 6, c.y() - 6, 13, 13);
    };
    s->selected = [cube](int i) { return cube->SelectedIndex() == i + 1; };
    s->current = [cube](int i) { return cube->HotIndex() == i + 1; };
    s->at = [cube](const QPoint& p) { return cube->CellAt(p) - 1; };
    return s;
}

class ItemListInterface : public NamedWidgetInterface
{
public:
    explicit ItemListInterface(TCustomItemSelector* list)
        : NamedWidgetInterface(list, QAccessible::List, QStringLiteral("Named colors"))
    {
    }
    ~ItemListInterface() override
    {
        for (const QAccessible::Id id : std::as_const(m_entries))
            QAccessible::deleteAccessibleInterface(id);
    }

    TCustomItemSelector* list() const { return static_cast<TCustomItemSelector*>(widget()); }

    int childCount() const override { return int(list()->Items().size()); }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        if (const QAccessible::Id id = m_entries.value(index))
            return QAccessible::accessibleInterface(id);
        auto* entry = new EntryInterface(list(), index);
        m_entries.insert(index, QAccessible::registerAccessibleInterface(entry));
        return entry;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto* entry = dynamic_cast<const EntryInterface*>(child);
        return entry && entry->parent() == this ? entry->index() : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const int i = list()->ItemAt(list()->mapFromGlobal(QPoint(x, y)));
        return i >= 0 ? child(i) : nullptr;
    }
    QAccessibleInterface* focusChild() const override
    {
        const int i = list()->ItemIndex();
        return i >= 0 && list()->isVisible() ? child(i) : nullptr;
    }

private:
    mutable QHash<int, QAccessible::Id> m_entries;
};

QAccessibleInterface* pickerFactory(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("TColorPickerDropDown"))
        return new PickerInterface(static_cast<TColorPickerDropDown*>(object));
    if (className == QLatin1String("TDropDownForm"))
        return new DropDownFormInterface(static_cast<TDropDownForm*>(object));
    if (className == QLatin1String("TCustomItemSelector"))
        return new ItemListInterface(static_cast<TCustomItemSelector*>(object));
    if (className == QLatin1String("TFlatButton"))
        return new FlatButtonInterface(static_cast<TFlatButton*>(object));
    if (className == QLatin1String("TFooterBar"))
        return new NamedWidgetInterface(static_cast<QWidget*>(object), QAccessible::ToolBar,
                                        QStringLiteral("Color styles"));
    if (className == QLatin1String("TCustomColorSelector")) {
        auto* palette = static_cast<TCustomColorSelector*>(object);
        return new CellListInterface(
            palette, QStringLiteral("Theme colors"),
            [palette] {
                const int hot = palette->ItemHot();
                return colourText(hot >= 0 ? palette->Items()[hot].Color : palette->SelectedColor(),
                                  palette->palette());
            },
            paletteCells(palette));
    }
    if (className == QLatin1String("TColorCubePanel")) {
        auto* cube = static_cast<TColorCubePanel*>(object);
        return new CellListInterface(
            cube, QStringLiteral("Color honeycomb"),
            [cube] {
                const int hot = cube->HotIndex();
                return colourText(hot >= 1 ? cube->CubeCellColor(hot) : cube->SelectedColor(),
                                  cube->palette());
            },
            cubeCells(cube));
    }
    if (className == QLatin1String("TColorSpectrumPanel")) {
        auto* spectrum = static_cast<TColorSpectrumPanel*>(object);
        return new NamedWidgetInterface(
            spectrum, QAccessible::Pane, QStringLiteral("Color spectrum"), [spectrum] {
                const Color hot = spectrum->HotColor();
                return colourText(hot != kColorNone ? hot : spectrum->SelectedColor(),
                                  spectrum->palette());
            });
    }
    return nullptr;
}

} // namespace

void InstallPickerAccessibility()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(pickerFactory); });
}

QString PickerValueText(const TColorPickerDropDown* picker)
{
    const Color c = picker->SelectedColor();
    if (c == kColorNone)
        return {};
    const int index = picker->ItemIndex();
    const TColorItems& colors = picker->Colors();
    if (index >= 0 && index < colors.size())
        return colors[index].Caption;
    // A panel's pick leaves no named colour selected; one of the same value still names it.
    const Color rgbValue = colorToRGB(c, picker->palette());
    for (const TColorItem& item : colors)
        if (colorToRGB(item.Color, picker->palette()) == rgbValue)
            return item.Caption;
    return colourText(c, picker->palette());
}

void NotifyPickerValueChanged(TColorPickerDropDown* picker)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent event(picker, PickerValueText(picker));
    QAccessible::updateAccessibility(&event);
}

void NotifyPickerEntryCurrent(TCustomItemSelector* list, int index)
{
    if (!QAccessible::isActive() || index < 0 || !list->isVisible())
        return;
    QAccessibleEvent focus(list, QAccessible::Focus);
    focus.setChild(index);
    QAccessible::updateAccessibility(&focus);
}

void NotifyPanelCurrent(QWidget* panel)
{
    if (!panel || !panel->isVisible())
        return;
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(panel);
    if (!a)
        return;
    if (QAccessibleInterface* cell = a->focusChild()) {
        QAccessibleEvent focus(panel, QAccessible::Focus);
        focus.setChild(a->indexOfChild(cell));
        QAccessible::updateAccessibility(&focus);
        QAccessibleEvent selection(panel, QAccessible::Selection);
        selection.setChild(a->indexOfChild(cell));
        QAccessible::updateAccessibility(&selection);
    }
    QAccessibleValueChangeEvent value(panel, a->text(QAccessible::Value));
    QAccessible::updateAccessibility(&value);
}
