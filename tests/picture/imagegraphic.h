#pragma once

#include "graphic.h"

#include <QImage>
#include <QPainter>

// A background picture over an image in memory, drawn like the raster loaders draw:
// scaled without smoothing.
class TImageGraphic : public tavelorn::Graphic
{
public:
    explicit TImageGraphic(QImage image) : m_image(std::move(image)) {}
    QSize size() const override { return m_image.size(); }
    void draw(QPainter& painter, const QRect& dest) const override
    {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(dest, m_image);
    }

private:
    QImage m_image;
};

inline tavelorn::GraphicPtr imageGraphic(const QImage& image)
{
    return std::make_shared<TImageGraphic>(image);
}
