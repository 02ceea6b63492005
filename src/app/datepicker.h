#pragma once

#include <QDateEdit>

// A date edit that is one place in the tab order, as the platform's date picker:
// Tab leaves it from any of its fields, and Left and Right move between the fields.
class TDatePicker : public QDateEdit
{
    Q_OBJECT

public:
    explicit TDatePicker(QWidget* parent = nullptr);

protected:
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
};
