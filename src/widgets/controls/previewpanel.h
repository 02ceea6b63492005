#pragma once

#include <QImage>
#include <QWidget>

namespace tavelorn {

// Shows the rendered picture as it is; the picture is rendered elsewhere when the model
// changes, so painting only copies pixels.
class PreviewPanel : public QWidget
{
    Q_OBJECT

public:
    explicit PreviewPanel(QWidget* parent = nullptr);

    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};

} // namespace tavelorn
