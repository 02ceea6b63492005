#include "pickeraccessible.h"

#include "colorcubepanel.h"
#include "colorpickerdropdown.h"
#include "colorspectrumpanel.h"
#include "customcolorselector.h"
#include "dropdownform.h"
#include "itemselector.h"
#include "readonlytextinterface.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

#include <functional>
#include <memory>
#include <mutex>

namespace tavelorn {

namespace {

// The picker: a combo box. Its value is also offered as read-only text, the one place
// AT-SPI gives a combo box's value.
class PickerInterface : public DropDownControlInterface
{
public:
    explicit PickerInterface(ColorPickerDropDown* picker) : DropDownControlInterface(picker) {}

    ColorPickerDropDown* picker() const { return static_cast<ColorPickerDropDown*>(widget()); }

    using ReadOnlyTextInterface::text;

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return picker()->valueText();
        QString s = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && s.isEmpty())
            s = QStringLiteral("Color");
        return s;
    }

    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(picker()->dropDownForm())
                          : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == picker()->dropDownForm() ? 0 : -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

private:
    QString readOnlyText() const override { return picker()->valueText(); }
    bool isDroppedDown() const override { return picker()->droppedDown(); }
    void setDroppedDown(bool down) override
    {
        if (down)
            picker()->showDropDown();
        else
            picker()->hideDropDown(false);
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
    explicit DropDownFormInterface(DropDownForm* form)
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
    explicit FlatButtonInterface(FlatButton* b) : QAccessibleWidget(b, QAccessible::Button) {}
    QString text(QAccessible::Text t) const override
    {
        const auto* b = static_cast<FlatButton*>(widget());
        if (t == QAccessible::Description && !b->button().hint.isEmpty())
            return b->button().hint;
        QString s = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && s.isEmpty())
            s = b->button().accessibleName;
        if (t == QAccessible::Name && s.isEmpty())
            s = b->button().caption;
        return s;
    }
    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            static_cast<FlatButton*>(widget())->click();
        else
            QAccessibleWidget::doAction(name);
    }
};

// One named colour of the list; the list paints its entries, so they have no widget.
class EntryInterface : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    EntryInterface(CustomItemSelector* list, int index) : m_list(list), m_index(index) {}

    int index() const { return m_index; }

    bool isValid() const override { return m_list && m_index < m_list->items().size(); }
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
        const SelectorItem& item = m_list->items()[m_index];
        s.selectable = true;
        s.focusable = true;
        s.selected = m_index == m_list->itemIndex();
        s.focused = s.selected && m_list->isVisible();
        s.hotTracked = m_index == m_list->hotIndex();
        s.disabled = !item.enabled;
        s.invisible = !m_list->isVisible();
        return s;
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = m_list->items()[m_index].rect;
        return QRect(m_list->mapToGlobal(r.topLeft()), r.size());
    }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        const SelectorItem& item = m_list->items()[m_index];
        switch (t) {
        case QAccessible::Name:
            return item.caption;
        case QAccessible::Description:
            return item.hint;
        case QAccessible::Value:
            return accessibleColorText(item.color, m_list->palette());
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
            m_list->pressItem(m_index);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<CustomItemSelector> m_list;
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
        return accessibleColorText(m_source->color(m_index), m_panel->palette());
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

std::shared_ptr<const CellSource> paletteCells(CustomColorSelector* palette)
{
    auto s = std::make_shared<CellSource>();
    s->count = [palette] { return int(palette->items().size()); };
    s->color = [palette](int i) { return palette->items()[i].color; };
    s->rect = [palette](int i) { return palette->items()[i].rect; };
    s->selected = [palette](int i) { return palette->itemIndex() == i; };
    // The keys move the selection itself; the pointer only the hot box.
    s->current = [palette](int i) { return palette->currentItem() == i; };
    s->at = [palette](const QPoint& p) { return palette->itemAt(p); };
    return s;
}

// The cube numbers its cells from 1; the list counts from 0.
std::shared_ptr<const CellSource> cubeCells(ColorCubePanel* cube)
{
    auto s = std::make_shared<CellSource>();
    s->count = [] { return ColorCubePanel::kCellCount; };
    s->color = [cube](int i) { return cube->cubeCellColor(i + 1); };
    s->rect = [cube](int i) {
        const QPoint c = cube->cubeCellCenter(i + 1);
        return QRect(c.x() - 6, c.y() - 6, 13, 13);
    };
    s->selected = [cube](int i) { return cube->selectedIndex() == i + 1; };
    s->current = [cube](int i) { return cube->hotIndex() == i + 1; };
    s->at = [cube](const QPoint& p) { return cube->cellAt(p) - 1; };
    return s;
}

class ItemListInterface : public NamedWidgetInterface
{
public:
    explicit ItemListInterface(CustomItemSelector* list)
        : NamedWidgetInterface(list, QAccessible::List, QStringLiteral("Named colors"))
    {
    }
    ~ItemListInterface() override
    {
        for (const QAccessible::Id id : std::as_const(m_entries))
            QAccessible::deleteAccessibleInterface(id);
    }

    CustomItemSelector* list() const { return static_cast<CustomItemSelector*>(widget()); }

    int childCount() const override { return int(list()->items().size()); }
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
        const int i = list()->itemAt(list()->mapFromGlobal(QPoint(x, y)));
        return i >= 0 ? child(i) : nullptr;
    }
    QAccessibleInterface* focusChild() const override
    {
        const int i = list()->itemIndex();
        return i >= 0 && list()->isVisible() ? child(i) : nullptr;
    }

private:
    mutable QHash<int, QAccessible::Id> m_entries;
};

// The factory is asked once for each class name up an object's hierarchy.
template <typename Widget> bool isClass(const QString& className)
{
    return className == QLatin1String(Widget::staticMetaObject.className());
}

QAccessibleInterface* pickerFactory(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (isClass<ColorPickerDropDown>(className))
        return new PickerInterface(static_cast<ColorPickerDropDown*>(object));
    if (isClass<DropDownForm>(className))
        return new DropDownFormInterface(static_cast<DropDownForm*>(object));
    if (isClass<CustomItemSelector>(className))
        return new ItemListInterface(static_cast<CustomItemSelector*>(object));
    if (isClass<FlatButton>(className))
        return new FlatButtonInterface(static_cast<FlatButton*>(object));
    if (isClass<FooterBar>(className))
        return new NamedWidgetInterface(static_cast<QWidget*>(object), QAccessible::ToolBar,
                                        QStringLiteral("Color styles"));
    if (isClass<CustomColorSelector>(className)) {
        auto* palette = static_cast<CustomColorSelector*>(object);
        return new CellListInterface(
            palette, QStringLiteral("Theme colors"), [palette] { return palette->valueText(); },
            paletteCells(palette));
    }
    if (isClass<ColorCubePanel>(className)) {
        auto* cube = static_cast<ColorCubePanel*>(object);
        return new CellListInterface(
            cube, QStringLiteral("Color honeycomb"), [cube] { return cube->valueText(); },
            cubeCells(cube));
    }
    if (isClass<ColorSpectrumPanel>(className)) {
        auto* spectrum = static_cast<ColorSpectrumPanel*>(object);
        return new NamedWidgetInterface(spectrum, QAccessible::Pane,
                                        QStringLiteral("Color spectrum"),
                                        [spectrum] { return spectrum->valueText(); });
    }
    return nullptr;
}

} // namespace

void installColorPickerAccessibility()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(pickerFactory); });
}

} // namespace tavelorn
