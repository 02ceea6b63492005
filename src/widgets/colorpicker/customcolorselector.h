#pragma once

#include "pickercolor.h"

#include <QList>
#include <QRect>
#include <QWidget>

namespace tavelorn {

struct ColorBoxItem
{
    Color color = kColorNone;
    ItemPos colorBoxPos = ItemPos::StandAlone;
    bool enabled = true;
    QRect rect; // assigned by relayout()
};

struct ColorBoxAppearance
{
    Color borderColor = colorFromHex(0xC5C5C5);
    Color outerBorderColorHot = colorFromHex(0xF29436);
    Color innerBorderColorHot = colorFromHex(0xFFE294);
    Color outerBorderColorSelected = colorFromHex(0xFF0000);
    Color innerBorderColorSelected = colorFromHex(0xFFE294);
    bool operator==(const ColorBoxAppearance&) const = default;
};

// The palette of theme colours: 60 boxes in 10 columns, a row of base colours above
// five rows of tints and shades. Its background is its parent's.
class CustomColorSelector : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qint32 selectedColor READ selectedColor WRITE setSelectedColor)
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex)
    Q_PROPERTY(int columns READ columns WRITE setColumns)
    Q_PROPERTY(int columnGap READ columnGap WRITE setColumnGap)
    Q_PROPERTY(int colorBoxWidth READ colorBoxWidth WRITE setColorBoxWidth)
    Q_PROPERTY(int colorBoxHeight READ colorBoxHeight WRITE setColorBoxHeight)

public:
    explicit CustomColorSelector(QWidget* parent = nullptr);

    // The built-in theme palette (60 boxes); replaces the items.
    void addThemeColors();
    const QList<ColorBoxItem>& items() const { return m_items; }
    void setItems(const QList<ColorBoxItem>& items);
    void setItemEnabled(int index, bool enabled);

    // Selecting a box raises colorSelected, also when it was selected already; -1
    // clears the selection without an event; a disabled box cannot be selected.
    int itemIndex() const { return m_itemIndex; }
    void setItemIndex(int index);
    int itemHot() const { return m_itemHot; }

    // Selects the first box of exactly that colour (raising colorSelected), or clears
    // the selection without an event.
    Color selectedColor() const { return m_selectedColor; }
    void setSelectedColor(Color c);

    int columns() const { return m_columns; }
    void setColumns(int v);
    int columnGap() const { return m_columnGap; }
    void setColumnGap(int v);
    int colorBoxWidth() const { return m_boxWidth; }
    void setColorBoxWidth(int v);
    int colorBoxHeight() const { return m_boxHeight; }
    void setColorBoxHeight(int v);

    ColorBoxAppearance colorBoxAppearance() const { return m_appearance; }
    void setColorBoxAppearance(const ColorBoxAppearance& a);
    SelectionColorStyle itemColorStyle() const { return m_style; }
    void setItemColorStyle(SelectionColorStyle s);

    // Places the boxes and sizes the control to them (165 x 84 for the theme palette).
    void relayout();
    // The box under a point, right and bottom edges excluded; -1 for none.
    int itemAt(const QPoint& pos) const;

    // Navigation keys (Qt::Key_*) and wheel steps handed over by the picker. A key
    // tells assistive technology where the selection went.
    void handleKey(int key, bool dropDownOpen);
    void handleWheel(bool down, bool dropDownOpen);

    // The box a screen reader follows: the hot one, else the selected one; -1 for none.
    int currentItem() const { return m_itemHot >= 0 ? m_itemHot : m_itemIndex; }
    // The colour of that box, else the selected colour, as a screen reader hears it.
    QString valueText() const;

signals:
    void colorSelected(tavelorn::Color color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void moveByKey(int key, bool dropDownOpen);
    void setItemHot(int index);
    void repaintItem(int index);
    void announceCurrent();

    QList<ColorBoxItem> m_items;
    int m_itemIndex = -1;
    int m_itemHot = -1;
    Color m_selectedColor = kColorNone;
    int m_offsetX = 4;
    int m_offsetY = 4;
    int m_columnGap = 4;
    int m_columns = 10;
    int m_boxWidth = 12;
    int m_boxHeight = 12;
    ColorBoxAppearance m_appearance;
    SelectionColorStyle m_style = SelectionColorStyle::Office2007;
};

} // namespace tavelorn
