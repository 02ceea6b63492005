#pragma once

#include "lineedit.h"

class QLabel;

namespace tavelorn {

// A one-line edit whose caption sits 3 pixels above it, left-aligned with it. The
// caption is a sibling label that follows the edit's position, visibility and state.
class LabeledEdit : public LineEdit
{
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)

public:
    explicit LabeledEdit(QWidget* parent = nullptr);

    QString caption() const;
    void setCaption(const QString& caption);
    QLabel* captionLabel() const { return m_label; }

    static constexpr int kCaptionGap = 3;

protected:
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void placeCaption();

    QLabel* m_label;
};

} // namespace tavelorn
