#pragma once

#include <QLineEdit>

// A one-line edit in which a key pressed with Alt never types: Alt with a letter is an
// access key, and one whose button is disabled must not leave its letter in the text.
class TEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
