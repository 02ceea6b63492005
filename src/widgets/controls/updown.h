#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace tavelorn {

// An up-down spinner bound to an edit: its arrows (and the Up/Down keys in the edit)
// step a position within [minimum, maximum] without wrapping and write it into the
// edit. The position read back is the number in the edit when it is a whole number in
// range, else the last valid one.
class UpDown : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int position READ position WRITE setPosition)

public:
    explicit UpDown(QWidget* parent = nullptr);

    void setAssociate(QLineEdit* edit);
    QLineEdit* associate() const { return m_edit; }

    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    void setMinimum(int value);
    void setMaximum(int value);

    int position() const;
    // Clamps to the range and writes the number into the edit.
    void setPosition(int value);

    void stepBy(int steps);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutButtons();

    QLineEdit* m_edit = nullptr;
    QToolButton* m_up;
    QToolButton* m_down;
    int m_min = 0;
    int m_max = 100;
    mutable int m_lastValid = 0;
};

} // namespace tavelorn
