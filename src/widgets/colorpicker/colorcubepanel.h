#pragma once

#include "pickercolor.h"

#include <QPoint>
#include <QWidget>

#include <array>

namespace tavelorn {

// The honeycomb of 127 hexagonal colour cells, 182 x 160 pixels.
class ColorCubePanel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qint32 selectedColor READ selectedColor WRITE setSelectedColor)
    Q_PROPERTY(bool showRGBHint READ showRGBHint WRITE setShowRGBHint)

public:
    static constexpr int kCellCount = 127;

    explicit ColorCubePanel(QWidget* parent = nullptr);

    // Stores the colour and marks the first cell of exactly that colour; no event.
    Color selectedColor() const { return m_selectedColor; }
    void setSelectedColor(Color c);

    bool showRGBHint() const { return m_showRGBHint; }
    void setShowRGBHint(bool on) { m_showRGBHint = on; }

    // Cells are numbered 1 to 127, row by row.
    Color cubeCellColor(int index) const;
    void setCubeCellColor(int index, Color c);
    QPoint cubeCellCenter(int index) const;

    // Back to the built-in cell colours, with no hot cell.
    void resetCells();

    // The first cell within 6 pixels of the point, 0 for none.
    int cellAt(const QPoint& pos) const;
    int selectedIndex() const { return m_selectedIndex; } // -1 for none
    int hotIndex() const { return m_hotIndex; }           // -1 for none

    // Keyboard: the arrow keys move the hot cell through the honeycomb (the first
    // press shows it on the selected cell, or on the white centre cell) and tell
    // assistive technology; pickHotCell picks it as a click would. Answers whether
    // the key was taken.
    bool handleKey(int key);
    // Whether the hot cell was put there by the keyboard rather than by the pointer.
    bool keyboardHot() const;
    // Picks the hot cell as a button press on it does; false when none is hot.
    bool pickHotCell();

    // The hot cell's colour, else the selected colour, as a screen reader hears it.
    QString valueText() const;

signals:
    void colorSelected(tavelorn::Color color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Cell
    {
        QPoint center;
        Color color = kColorNone;
    };

    // The panel numbers its cells from 1, in ints; callers check the range.
    Cell& cell(int index) { return m_cells[static_cast<size_t>(index)]; }
    const Cell& cell(int index) const { return m_cells[static_cast<size_t>(index)]; }
    void repaintCell(int index);
    void setHot(int index);
    // Selects the cell, as a click does, and announces it.
    void pickCell(int index);
    // The cell of the row above (-1) or below (+1) whose centre is nearest, or 0.
    int verticalNeighbour(int index, int direction) const;
    void announceCurrent();

    std::array<Cell, kCellCount + 1> m_cells; // index 0 unused
    Color m_selectedColor = kColorNone;
    int m_selectedIndex = -1;
    int m_hotIndex = -1;
    bool m_keyboardHot = false;
    bool m_showRGBHint = true;
};

} // namespace tavelorn
