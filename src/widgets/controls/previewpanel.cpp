#include "previewpanel.h"

#include <QPainter>

namespace tavelorn {

PreviewPanel::PreviewPanel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewPanel::setImage(const QImage& image)
{
    m_image = image;
    update();
}

void PreviewPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // Disabled only means "takes no input": the picture is shown as is, never greyed.
    if (m_image.isNull())
        p.fillRect(rect(), Qt::white);
    else
        p.drawImage(0, 0, m_image);
}

} // namespace tavelorn
