#pragma once

#include "dropdownform.h"
#include "glossybar.h"
#include "pickercolor.h"

#include <QElapsedTimer>
#include <QList>
#include <QWidget>

class QTimer;

namespace tavelorn {

class ColorCubePanel;
class ColorSpectrumPanel;
class CustomColorSelector;
class ScrollingItemSelector;

struct ColorItem
{
    QString caption;
    Color color = kColorNone;
    bool enabled = true;
    QString hint;
};
using ColorItems = QList<ColorItem>;

// A one-line control showing the selected colour (a box, and in the list style the
// colour's name) with a drop-down arrow. Its drop-down window offers named colours, a
// theme palette, a honeycomb or a spectrum, with an optional footer of buttons.
//
// colorSelected is raised by every itemIndex assignment, also an unchanged one, and by
// Enter; one user action may raise it more than once, so handlers must be idempotent.
// footerButtonClicked(index) reports a footer button.
class ColorPickerDropDown : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qint32 selectedColor READ selectedColor WRITE setSelectedColor NOTIFY colorSelected)
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex)
    Q_PROPERTY(bool showText READ showText WRITE setShowText)
    Q_PROPERTY(int dropDownWidth READ dropDownWidth WRITE setDropDownWidth)
    Q_PROPERTY(int dropDownHeight READ dropDownHeight WRITE setDropDownHeight)

public:
    explicit ColorPickerDropDown(QWidget* parent = nullptr);

    // Colours and selection.
    const ColorItems& colors() const { return m_colors; }
    void setColors(const ColorItems& colors);
    void addColor(const QString& caption, Color color, const QString& hint = {});
    void clearColors();
    // Empties colors() and adds the 16 named colours "Black" ... "White".
    void addDefaultColors();
    // Nesting counter; the list entries are rebuilt when it drops back to 0.
    void beginUpdate();
    void endUpdate();

    // Assigning i < count sets the index (and for i >= 0 the colour as stored), then
    // raises colorSelected, even when nothing changed.
    int itemIndex() const { return m_itemIndex; }
    void setItemIndex(int index);
    // Assigning a new colour stores its RGB value (system colours resolved through the
    // palette) and selects the first named colour of that RGB value, raising
    // colorSelected through setItemIndex; with none, itemIndex becomes -1 without an
    // event.
    Color selectedColor() const { return m_selectedColor; }
    void setSelectedColor(Color c);

    // Look of the control and its list.
    ColorSelectionStyle colorSelectionStyle() const { return m_style; }
    // Works while open: the window takes the new style and its size at once.
    void setColorSelectionStyle(ColorSelectionStyle s);
    ColorValueText colorValueText() const { return m_valueText; }
    void setColorValueText(ColorValueText v);
    bool showText() const { return m_showText; }
    void setShowText(bool on);
    int colorBoxWidth() const { return m_boxWidth; }
    void setColorBoxWidth(int v);
    int colorBoxHeight() const { return m_boxHeight; }
    void setColorBoxHeight(int v);
    Color colorBoxBorderColor() const { return m_boxBorderColor; }
    void setColorBoxBorderColor(Color c);
    int columns() const { return m_columns; }
    void setColumns(int v);
    ItemLayout itemLayout() const { return m_layout; }
    void setItemLayout(ItemLayout l);
    ItemAppearance itemAppearance() const { return m_itemAppearance; }
    void setItemAppearance(const ItemAppearance& a);
    SelectionColorStyle selectionColorStyle() const { return m_selectionColorStyle; }
    void setSelectionColorStyle(SelectionColorStyle s);
    int dropDownButtonWidth() const { return m_dropDownButtonWidth; }
    void setDropDownButtonWidth(int v);

    // The drop-down window.
    Color dropDownColor() const { return m_dropDownColor; }
    void setDropDownColor(Color c);
    Color dropDownBorderColor() const { return m_dropDownBorderColor; }
    void setDropDownBorderColor(Color c);
    int dropDownBorderWidth() const { return m_dropDownBorderWidth; }
    void setDropDownBorderWidth(int v);
    bool dropDownShadow() const { return m_dropDownShadow; }
    void setDropDownShadow(bool on);
    bool dropDownSizeable() const { return m_dropDownSizeable; }
    void setDropDownSizeable(bool on);
    int dropDownWidth() const { return m_dropDownWidth; } // list style; 0: the list's own width
    void setDropDownWidth(int v);
    int dropDownHeight() const { return m_dropDownHeight; } // list style; 0: the list's own height
    void setDropDownHeight(int v);
    DropPosition dropPosition() const { return m_dropPosition; }
    void setDropPosition(DropPosition p);
    FooterAppearance dropDownFooter() const { return m_footer; }
    void setDropDownFooter(const FooterAppearance& f);
    ButtonAppearance buttonAppearance() const { return m_buttonAppearance; }
    void setButtonAppearance(const ButtonAppearance& a);

    void showDropDown();
    void hideDropDown(bool cancelChanges);
    bool droppedDown() const;

    // The window and its contents, for hosts that look inside (and for tests).
    DropDownForm* dropDownForm() const { return m_form; }
    ScrollingItemSelector* itemSelector() const { return m_itemSelector; }
    // Null until the palette, the cube or the spectrum is first shown.
    CustomColorSelector* colorSelector() const { return m_colorSelector; }
    ColorCubePanel* colorCubePanel() const { return m_cubePanel; }
    ColorSpectrumPanel* spectrumPanel() const { return m_spectrumPanel; }

    // The text the face writes beside the colour box.
    QString faceText() const;
    // The selected colour's name, as a screen reader hears the picker's value: the
    // caption of the named colour of that value, else "#RRGGBB"; empty with no colour.
    QString valueText() const;
    // The incremental search text, emptied 500 ms after the first key of a burst.
    QString currentSearch() const { return m_curSearch; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void colorSelected(tavelorn::Color color);
    void footerButtonClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool handleKey(int key, Qt::KeyboardModifiers modifiers, const QString& text);
    void handleWheel(bool down);
    void dropDownDeactivated();
    void footerClicked(int index);

    void prepareContent();
    QSize dropDownSize() const;
    QPoint dropDownPosition(const QSize& size) const;
    void applyMinimumSize(const QSize& natural);
    CustomColorSelector* closedPaletteUpToDate(bool open);
    void finishClose(bool cancel);
    void panelPicked(Color c, bool fromPalette);
    CustomColorSelector* ensureColorSelector();
    void listKey(int key, bool open);
    void searchKey(const QString& text);
    int pageRows() const;
    bool windowTakesEnter() const;
    void announceValue();

    ColorItems m_colors;
    int m_updateCount = 0;
    int m_itemIndex = -1;
    Color m_selectedColor = kColorNone;
    ColorSelectionStyle m_style = ColorSelectionStyle::List;
    ColorValueText m_valueText = ColorValueText::NoText;
    bool m_showText = true;
    int m_boxWidth = 14;
    int m_boxHeight = 14;
    Color m_boxBorderColor = makeColor(0, 0, 0);
    int m_columns = 1;
    ItemLayout m_layout = ItemLayout::CaptionRight;
    ItemAppearance m_itemAppearance;
    SelectionColorStyle m_selectionColorStyle = SelectionColorStyle::Office2007;
    Color m_dropDownColor = makeColor(255, 255, 255);
    Color m_dropDownBorderColor = makeColor(0, 0, 0);
    int m_dropDownBorderWidth = 1;
    bool m_dropDownShadow = true;
    bool m_dropDownSizeable = true;
    int m_dropDownWidth = 0;
    int m_dropDownHeight = 200;
    int m_dropDownButtonWidth = 17;
    DropPosition m_dropPosition = DropPosition::Auto;
    FooterAppearance m_footer;
    ButtonAppearance m_buttonAppearance;

    int m_oldItemIndex = -1;
    Color m_oldSelectedColor = kColorNone;
    QString m_curSearch;
    bool m_internalCall = false;
    bool m_preparing = false;
    bool m_opening = false;
    bool m_deactivating = false;
    QElapsedTimer m_sinceDeactivation;
    QSize m_userSize; // the size the window had when it last closed

    // Children, owned by the object tree; the panels are made the first time their
    // style is shown.
    QTimer* m_keyTimer;
    DropDownForm* m_form;
    ScrollingItemSelector* m_itemSelector;
    CustomColorSelector* m_colorSelector = nullptr;
    ColorCubePanel* m_cubePanel = nullptr;
    ColorSpectrumPanel* m_spectrumPanel = nullptr;

    Q_DISABLE_COPY(ColorPickerDropDown)
};

} // namespace tavelorn
