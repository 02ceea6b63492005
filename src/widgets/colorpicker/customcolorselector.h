#pragma once

#include "pickercolor.h"

#include <QList>
#include <QRect>
#include <QWidget>

#include <memory>

struct TColorBoxItem
{
    tavelorn::Color Color = tavelorn::kColorNone;
    ColorPicker::TItemPos ColorBoxPos = ColorPicker::ipStandAlone;
    bool Enabled = true;
    QRect Rect; // assigned by Layout()
};

struct TColorBoxAppearance
{
    tavelorn::Color BorderColor = tavelorn::colorFromHex(0xC5C5C5);
    tavelorn::Color OuterBorderColorHot = tavelorn::colorFromHex(0xF29436);
    tavelorn::Color InnerBorderColorHot = tavelorn::colorFromHex(0xFFE294);
    tavelorn::Color OuterBorderColorSelected = tavelorn::colorFromHex(0xFF0000);
    tavelorn::Color InnerBorderColorSelected = tavelorn::colorFromHex(0xFFE294);
    bool operator==(const TColorBoxAppearance&) const = default;
};

// The palette of theme colours: 60 boxes in 10 columns, a row of base colours above
// five rows of tints and shades. Its background is its parent's.
class TCustomColorSelector : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qint32 SelectedColor READ SelectedColor WRITE setSelectedColor)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE setItemIndex)
    Q_PROPERTY(int Columns READ Columns WRITE setColumns)
    Q_PROPERTY(int ColumnGap READ ColumnGap WRITE setColumnGap)
    Q_PROPERTY(int ColorBoxWidth READ ColorBoxWidth WRITE setColorBoxWidth)
    Q_PROPERTY(int ColorBoxHeight READ ColorBoxHeight WRITE setColorBoxHeight)
    Q_PROPERTY(ColorPicker::TSelectionColorStyle ItemColorStyle READ ItemColorStyle WRITE
                   setItemColorStyle)

public:
    explicit TCustomColorSelector(QWidget* parent = nullptr);
    ~TCustomColorSelector() override;

    // The built-in theme palette (60 boxes); replaces the items.
    void AddThemeColors();
    const QList<TColorBoxItem>& Items() const;
    void setItems(const QList<TColorBoxItem>& items);
    void setItemEnabled(int index, bool enabled);

    // Selecting a box raises OnItemSelect, also when it was selected already; -1 clears
    // the selection without an event; a disabled box cannot be selected.
    int ItemIndex() const;
    void setItemIndex(int index);
    int ItemHot() const;

    // Selects the first box of exactly that colour (raising OnItemSelect), or clears
    // the selection without an event.
    tavelorn::Color SelectedColor() const;
    void setSelectedColor(tavelorn::Color c);

    int Columns() const;
    void setColumns(int v);
    int ColumnGap() const;
    void setColumnGap(int v);
    int ColorBoxWidth() const;
    void setColorBoxWidth(int v);
    int ColorBoxHeight() const;
    void setColorBoxHeight(int v);

    TColorBoxAppearance ColorBoxAppearance() const;
    void setColorBoxAppearance(const TColorBoxAppearance& a);
    ColorPicker::TSelectionColorStyle ItemColorStyle() const;
    void setItemColorStyle(ColorPicker::TSelectionColorStyle s);

    // Places the boxes and sizes the control to them (165 x 84 for the theme palette).
    void Layout();
    // The box under a point, right and bottom edges excluded; -1 for none.
    int ItemAt(const QPoint& pos) const;

    // Navigation keys (Qt::Key_*) and wheel steps handed over by the picker.
    void HandleKey(int key, bool dropDownOpen);
    void HandleWheel(bool down, bool dropDownOpen);

signals:
    void OnItemSelect();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setItemHot(int index);
    void repaintItem(int index);

    struct Private;
    std::unique_ptr<Private> const d;
    Q_DISABLE_COPY(TCustomColorSelector)
};
