#pragma once

#include <QLineEdit>

namespace tavelorn {

// A one-line edit in which a key pressed with Alt never types: Alt with a letter is an
// access key, and one whose button is disabled must not leave its letter in the text.
class LineEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit LineEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace tavelorn
