#pragma once

#include "glossybar.h"
#include "pickercolor.h"

#include <QList>
#include <QScrollArea>
#include <QWidget>

#include <memory>

struct TSelectorItem
{
    QString Caption;
    tavelorn::Color Color = tavelorn::kColorNone;
    QString Hint;
    bool Enabled = true;
    QRect Rect; // assigned by LayoutItems()
};

// The entries of the named-colour list: colour box and caption, the hot and the
// selected entry drawn as glossy bars. Selecting here raises nothing; the picker
// decides what a press or a key means.
class TCustomItemSelector : public QWidget
{
    Q_OBJECT

public:
    explicit TCustomItemSelector(QWidget* parent = nullptr);
    ~TCustomItemSelector() override;

    void setItems(const QList<TSelectorItem>& items);
    const QList<TSelectorItem>& Items() const;
    void setColumns(int columns);
    int Columns() const;
    void setItemLayout(ColorPicker::TItemLayout layout);
    void setColorBox(int width, int height);
    void setBackgroundColor(tavelorn::Color c);
    void setAppearance(const TItemAppearance& a);

    // Entry sizes and places; the control takes the entries' own size.
    void LayoutItems();
    QSize ItemSize() const;

    int ItemIndex() const;
    void setItemIndex(int index);
    int HotIndex() const;
    void setHotIndex(int index);
    int ItemAt(const QPoint& pos) const;
    // As a mouse press on an enabled entry: raises itemPressed.
    void PressItem(int index);

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

    struct Private;
    std::unique_ptr<Private> const d;
    Q_DISABLE_COPY(TCustomItemSelector)
};

// The vertically scrolling box around the list. Keys and wheel steps go on to its
// parent, the drop-down window, which hands them to the picker.
class TScrollingItemSelector : public QScrollArea
{
    Q_OBJECT

public:
    explicit TScrollingItemSelector(QWidget* parent = nullptr);
    TCustomItemSelector* Selector() const { return FSelector; }
    // Scrolls the entry into view; with no entry (-1) back to the top.
    void ensureItemVisible(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    TCustomItemSelector* FSelector;
};
