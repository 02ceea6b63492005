#pragma once

#include "pickercolor.h"

#include <QPoint>
#include <QWidget>

#include <memory>

// The honeycomb of 127 hexagonal colour cells, 182 x 160 pixels.
class TColorCubePanel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qint32 SelectedColor READ SelectedColor WRITE setSelectedColor)
    Q_PROPERTY(bool ShowRGBHint READ ShowRGBHint WRITE setShowRGBHint)

public:
    static constexpr int CellCount = 127;

    explicit TColorCubePanel(QWidget* parent = nullptr);
    ~TColorCubePanel() override;

    // Stores the colour and marks the first cell of exactly that colour; no event.
    tavelorn::Color SelectedColor() const;
    void setSelectedColor(tavelorn::Color c);

    bool ShowRGBHint() const;
    void setShowRGBHint(bool on);

    // Cells are numbered 1 to 127, row by row.
    tavelorn::Color CubeCellColor(int index) const;
    void setCubeCellColor(int index, tavelorn::Color c);
    QPoint CubeCellCenter(int index) const;

    // Back to the built-in cell colours, with no hot cell.
    void ResetCells();

    // The first cell within 6 pixels of the point, 0 for none.
    int CellAt(const QPoint& pos) const;
    int SelectedIndex() const; // -1 for none
    int HotIndex() const;      // -1 for none

    // Keyboard: the arrow keys move the hot cell through the honeycomb (the first
    // press shows it on the selected cell, or on the white centre cell), and
    // PickHotCell picks it as a click would. Answers whether the key was taken.
    bool HandleKey(int key);
    // Whether the hot cell was put there by the keyboard rather than by the pointer.
    bool KeyboardHot() const;
    // Picks the hot cell as a button press on it does; false when none is hot.
    bool PickHotCell();

signals:
    void OnSelect();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void repaintCell(int index);
    void setHot(int index);
    // Selects the cell, as a click does, and announces it.
    void pickCell(int index);
    // The cell of the row above (-1) or below (+1) whose centre is nearest, or 0.
    int verticalNeighbour(int index, int direction) const;

    struct Private;
    std::unique_ptr<Private> const d;
    Q_DISABLE_COPY(TColorCubePanel)
};
