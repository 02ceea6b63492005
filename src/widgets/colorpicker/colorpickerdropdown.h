#pragma once

#include "dropdownform.h"
#include "glossybar.h"
#include "pickercolor.h"

#include <QList>
#include <QWidget>

#include <memory>

class TColorCubePanel;
class TColorSpectrumPanel;
class TCustomColorSelector;
class TScrollingItemSelector;

struct TColorItem
{
    QString Caption;
    tavelorn::Color Color = tavelorn::kColorNone;
    bool Enabled = true;
    QString Hint;
};
using TColorItems = QList<TColorItem>;

// A one-line control showing the selected colour (a box, and in the list style the
// colour's name) with a drop-down arrow. Its drop-down window offers named colours, a
// theme palette, a honeycomb or a spectrum, with an optional footer of buttons.
//
// OnSelect is raised by every ItemIndex assignment, also an unchanged one, and by
// Enter; one user action may raise it more than once, so handlers read SelectedColor
// and must be idempotent. OnDropDownFooterButtonClick(index) reports a footer button.
class TColorPickerDropDown : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qint32 SelectedColor READ SelectedColor WRITE setSelectedColor NOTIFY OnSelect)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE setItemIndex)
    Q_PROPERTY(ColorPicker::TColorSelectionStyle ColorSelectionStyle READ ColorSelectionStyle WRITE
                   setColorSelectionStyle)
    Q_PROPERTY(
        ColorPicker::TColorValueText ColorValueText READ ColorValueText WRITE setColorValueText)
    Q_PROPERTY(bool ShowText READ ShowText WRITE setShowText)
    Q_PROPERTY(int DropDownWidth READ DropDownWidth WRITE setDropDownWidth)
    Q_PROPERTY(int DropDownHeight READ DropDownHeight WRITE setDropDownHeight)

public:
    explicit TColorPickerDropDown(QWidget* parent = nullptr);
    ~TColorPickerDropDown() override;

    // --- Colours and selection
    const TColorItems& Colors() const;
    void setColors(const TColorItems& colors);
    void AddColor(const QString& caption, tavelorn::Color color, const QString& hint = {});
    void ClearColors();
    // Empties Colors and adds the 16 named colours "Black" ... "White".
    void AddDefaultColors();
    // Nesting counter; the list entries are rebuilt when it drops back to 0.
    void BeginUpdate();
    void EndUpdate();

    // Assigning i < count sets the index (and for i >= 0 the colour as stored), then
    // raises OnSelect, even when nothing changed.
    int ItemIndex() const;
    void setItemIndex(int index);
    // Assigning a new colour stores its RGB value (system colours resolved through the
    // palette) and selects the first named colour of that RGB value, raising OnSelect
    // through ItemIndex; with none, ItemIndex becomes -1 without an event.
    tavelorn::Color SelectedColor() const;
    void setSelectedColor(tavelorn::Color c);

    // --- Look of the control and its list
    ColorPicker::TColorSelectionStyle ColorSelectionStyle() const;
    // Works while open: the window takes the new style and its size at once.
    void setColorSelectionStyle(ColorPicker::TColorSelectionStyle s);
    ColorPicker::TColorValueText ColorValueText() const;
    void setColorValueText(ColorPicker::TColorValueText v);
    bool ShowText() const;
    void setShowText(bool on);
    int ColorBoxWidth() const;
    void setColorBoxWidth(int v);
    int ColorBoxHeight() const;
    void setColorBoxHeight(int v);
    tavelorn::Color ColorBoxBorderColor() const;
    void setColorBoxBorderColor(tavelorn::Color c);
    int Columns() const;
    void setColumns(int v);
    ColorPicker::TItemLayout Layout() const;
    void setLayout(ColorPicker::TItemLayout l);
    TItemAppearance ItemAppearance() const;
    void setItemAppearance(const TItemAppearance& a);
    ColorPicker::TSelectionColorStyle SelectionColorStyle() const;
    void setSelectionColorStyle(ColorPicker::TSelectionColorStyle s);
    int DropDownButtonWidth() const;
    void setDropDownButtonWidth(int v);

    // --- The drop-down window
    tavelorn::Color DropDownColor() const;
    void setDropDownColor(tavelorn::Color c);
    tavelorn::Color DropDownBorderColor() const;
    void setDropDownBorderColor(tavelorn::Color c);
    int DropDownBorderWidth() const;
    void setDropDownBorderWidth(int v);
    bool DropDownShadow() const;
    void setDropDownShadow(bool on);
    bool DropDownSizeable() const;
    void setDropDownSizeable(bool on);
    int DropDownWidth() const; // list style; 0: the list's own width
    void setDropDownWidth(int v);
    int DropDownHeight() const; // list style; 0: the list's own height
    void setDropDownHeight(int v);
    ColorPicker::TDropPosition DropPosition() const;
    void setDropPosition(ColorPicker::TDropPosition p);
    TFooterAppearance DropDownFooter() const;
    void setDropDownFooter(const TFooterAppearance& f);
    TButtonAppearance ButtonAppearance() const;
    void setButtonAppearance(const TButtonAppearance& a);

    void ShowDropDown();
    void HideDropDown(bool CancelChanges);
    bool DroppedDown() const;

    // The window and its contents, for hosts that look inside (and for tests).
    TDropDownForm* DropDownForm() const;
    TScrollingItemSelector* ItemSelector() const;
    TCustomColorSelector* ColorSelector() const; // null until the palette is first shown
    TColorCubePanel* ColorCubePanel() const;     // null until the cube is first shown
    TColorSpectrumPanel* SpectrumPanel() const;  // null until the spectrum is first shown

    // The text the face writes beside the colour box.
    QString FaceText() const;
    // The incremental search text, emptied 500 ms after the first key of a burst.
    QString CurrentSearch() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void OnSelect();
    void OnDropDownFooterButtonClick(int ButtonIndex);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class TDropDownForm;
    bool handleKey(int key, Qt::KeyboardModifiers modifiers, const QString& text);
    void handleWheel(bool down);
    void dropDownDeactivated();

    void prepareContent();
    QSize dropDownSize() const;
    QPoint dropDownPosition(const QSize& size) const;
    void applyMinimumSize(const QSize& natural);
    TCustomColorSelector* closedPaletteUpToDate(bool open);
    void finishClose(bool cancel);
    void panelPicked(tavelorn::Color c, bool fromPalette);
    TCustomColorSelector* ensureColorSelector();
    void listKey(int key, bool open);
    void searchKey(const QString& text);
    int pageRows() const;
    bool windowTakesEnter() const;

    struct Private;
    std::unique_ptr<Private> const d;
    Q_DISABLE_COPY(TColorPickerDropDown)
};
