#pragma once

#include "pickercolor.h"

#include <QImage>
#include <QRect>
#include <QWidget>

#include <memory>

class QCursor;

// The 128 x 128 picture of hues against lightness with the selected and hot swatches
// below it, 150 x 174 pixels.
class TColorSpectrumPanel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qint32 SelectedColor READ SelectedColor WRITE setSelectedColor)

public:
    explicit TColorSpectrumPanel(QWidget* parent = nullptr);
    ~TColorSpectrumPanel() override;

    // Stored only; the swatch shows it at the next repaint.
    tavelorn::Color SelectedColor() const;
    void setSelectedColor(tavelorn::Color c);
    tavelorn::Color HotColor() const;

    // Places picture and swatches, clears the hot colour and repaints.
    void Layout();

    // Keyboard: the arrow keys move a marked point over the picture, 4 pixels a step (1
    // with Shift), and the hot colour follows it; the first press puts the point on the
    // picture's pixel nearest to the selected colour. PickHotColor picks it as a click
    // would. HandleKey answers whether the key was taken.
    bool HandleKey(int key, Qt::KeyboardModifiers modifiers);
    bool KeyboardHot() const;
    // The marked point in the picture's coordinates, while KeyboardHot().
    QPoint KeyboardPoint() const;
    bool PickHotColor();

    QRect SpectrumRect() const;
    QRect SelectedRect() const;
    QRect HotRect() const;

    // The hue/lightness picture, made once: hue left to right, white at the top,
    // full colour in the middle rows, black at the bottom.
    static const QImage& SpectrumImage();
    // The pointer over the picture: an eyedropper whose tip, the hot spot, is (1, 30).
    static QCursor EyedropperCursor();

signals:
    void OnSelect();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const QImage& surface();
    void renderSurface();

    struct Private;
    std::unique_ptr<Private> const d;
    Q_DISABLE_COPY(TColorSpectrumPanel)
};
