#include "textlimitvalidator.h"

#include <QLineEdit>

#include <algorithm>

namespace tavelorn {

TextLimitValidator::TextLimitValidator(QLineEdit* edit, int limit)
    : QValidator(edit), m_edit(edit), m_limit(limit), m_prevLength(edit->text().length())
{
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_prevLength = text.length(); });
}

void TextLimitValidator::showText(const QString& text)
{
    m_prevLength = std::max(m_prevLength, text.length());
    m_edit->setText(text);
}

QValidator::State TextLimitValidator::validate(QString& input, int& pos) const
{
    const qsizetype allowed = std::max(qsizetype(m_limit), m_prevLength);
    const qsizetype excess = input.length() - allowed;
    if (m_limit > 0 && excess > 0) {
        // Drop the end of what was just inserted before the cursor.
        const qsizetype from = std::max(qsizetype(0), pos - excess);
        input.remove(from, excess);
        pos = int(from);
    }
    return Acceptable;
}

} // namespace tavelorn
