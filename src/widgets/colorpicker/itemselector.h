#pragma once

#include "glossybar.h"
#include "pickercolor.h"

#include <QList>
#include <QScrollArea>
#include <QWidget>

namespace tavelorn {

struct SelectorItem
{
    QString caption;
    Color color = kColorNone;
    QString hint;
    bool enabled = true;
    QRect rect; // assigned by layoutItems()
};

// The entries of the named-colour list: colour box and caption, the hot and the
// selected entry drawn as glossy bars. Selecting here raises nothing; the picker
// decides what a press or a key means.
class CustomItemSelector : public QWidget
{
    Q_OBJECT

public:
    explicit CustomItemSelector(QWidget* parent = nullptr);

    void setItems(const QList<SelectorItem>& items);
    const QList<SelectorItem>& items() const { return m_items; }
    void setColumns(int columns);
    int columns() const { return m_columns; }
    void setItemLayout(ItemLayout layout);
    void setColorBox(int width, int height);
    void setBackgroundColor(Color c);
    void setAppearance(const ItemAppearance& a);

    // Entry sizes and places; the control takes the entries' own size.
    void layoutItems();
    QSize itemSize() const { return m_itemSize; }

    int itemIndex() const { return m_itemIndex; }
    // Tells assistive technology when the entry becomes the current one.
    void setItemIndex(int index);
    int hotIndex() const { return m_hotIndex; }
    void setHotIndex(int index);
    int itemAt(const QPoint& pos) const;
    // As a mouse press on an enabled entry: raises itemPressed.
    void pressItem(int index);

signals:
    void itemPressed(int index);
    void hotChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void repaintItem(int index);

    QList<SelectorItem> m_items;
    int m_columns = 1;
    ItemLayout m_layout = ItemLayout::CaptionRight;
    int m_boxWidth = 14;
    int m_boxHeight = 14;
    Color m_background = makeColor(255, 255, 255);
    ItemAppearance m_appearance;
    QSize m_itemSize;
    int m_itemIndex = -1;
    int m_hotIndex = -1;
};

// The vertically scrolling box around the list. Keys and wheel steps go on to its
// parent, the drop-down window, which hands them to the picker.
class ScrollingItemSelector : public QScrollArea
{
    Q_OBJECT

public:
    explicit ScrollingItemSelector(QWidget* parent = nullptr);
    CustomItemSelector* selector() const { return m_selector; }
    // Scrolls the entry into view; with no entry (-1) back to the top.
    void ensureItemVisible(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    CustomItemSelector* m_selector;
};

} // namespace tavelorn
