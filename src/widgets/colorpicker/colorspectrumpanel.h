#pragma once

#include "pickercolor.h"

#include <QImage>
#include <QRect>
#include <QWidget>

class QCursor;

namespace tavelorn {

// The 128 x 128 picture of hues against lightness with the selected and hot swatches
// below it, 150 x 174 pixels.
class ColorSpectrumPanel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qint32 selectedColor READ selectedColor WRITE setSelectedColor)

public:
    explicit ColorSpectrumPanel(QWidget* parent = nullptr);

    // Stored only; the swatch shows it at the next repaint.
    Color selectedColor() const { return m_selectedColor; }
    void setSelectedColor(Color c);
    Color hotColor() const { return m_hotColor; }

    // Places picture and swatches, clears the hot colour and repaints.
    void relayout();

    // Keyboard: the arrow keys move a marked point over the picture, 4 pixels a step (1
    // with Shift), and the hot colour follows it; the first press puts the point on the
    // picture's pixel nearest to the selected colour. A taken key tells assistive
    // technology. pickHotColor picks it as a click would. handleKey answers whether the
    // key was taken.
    bool handleKey(int key, Qt::KeyboardModifiers modifiers);
    bool keyboardHot() const { return m_keyboardHot; }
    // The marked point in the picture's coordinates, while keyboardHot().
    QPoint keyboardPoint() const { return m_keyPoint; }
    bool pickHotColor();

    QRect spectrumRect() const { return m_imageRect; }
    QRect selectedRect() const { return m_selectedRect; }
    QRect hotRect() const { return m_hotRect; }

    // The hot colour, else the selected colour, as a screen reader hears it.
    QString valueText() const;

    // The hue/lightness picture, made once: hue left to right, white at the top,
    // full colour in the middle rows, black at the bottom.
    static const QImage& spectrumImage();
    // The pointer over the picture: an eyedropper whose tip, the hot spot, is (1, 30).
    static QCursor eyedropperCursor();

signals:
    void colorSelected(tavelorn::Color color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const QImage& surface();
    void renderSurface();
    void announceValue();

    QRect m_imageRect;
    QRect m_selectedRect;
    QRect m_hotRect;
    Color m_hotColor = kColorNone;
    Color m_selectedColor = makeColor(255, 255, 255);
    QImage m_surface; // what was last painted; the hot colour is read back from it
    bool m_dirty = true;
    bool m_overImage = false;
    bool m_keyboardHot = false;
    QPoint m_keyPoint; // in the picture's coordinates
};

} // namespace tavelorn
