#pragma once

#include <QValidator>

class QLineEdit;

namespace tavelorn {

// Bounds what the user types without cutting a longer text the program puts there,
// the way a native edit's text limit behaves: typing and pasting stop at the limit,
// deleting always works. QLineEdit::setMaxLength would truncate the shown item.
class TextLimitValidator : public QValidator
{
public:
    // Belongs to edit; limit: most characters the user may type.
    TextLimitValidator(QLineEdit* edit, int limit);

    // Shows text whole, however long: the setter runs the validator too.
    void showText(const QString& text);

    State validate(QString& input, int& pos) const override;

private:
    QLineEdit* m_edit;
    int m_limit;
    qsizetype m_prevLength;
};

} // namespace tavelorn
