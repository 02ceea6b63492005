#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QString>

namespace tavelorn {

// A control's value offered to assistive technology as read-only text: the one place
// AT-SPI gives a combo box's value. The accessible interface of the control derives
// from it and says what the value is.
class ReadOnlyTextInterface : public QAccessibleTextInterface
{
public:
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int /*startOffset*/, int /*endOffset*/) override {}
    void removeSelection(int /*selectionIndex*/) override {}
    void setSelection(int /*selectionIndex*/, int /*startOffset*/, int /*endOffset*/) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int /*position*/) override {}
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int /*offset*/) const override { return {}; }
    int offsetAtPoint(const QPoint& /*point*/) const override { return -1; }
    void scrollToSubstring(int /*startIndex*/, int /*endIndex*/) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

protected:
    // The text offered: the control's value as it is now.
    virtual QString readOnlyText() const = 0;
};

// A control that drops a list down, as assistive technology meets a combo box: its value
// as read-only text, its expanded state, and the actions that open and close it.
class DropDownControlInterface : public QAccessibleWidget, public ReadOnlyTextInterface
{
public:
    explicit DropDownControlInterface(QWidget* control)
        : QAccessibleWidget(control, QAccessible::ComboBox)
    {
    }

    using ReadOnlyTextInterface::text;

    void* interface_cast(QAccessible::InterfaceType t) override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& name) override;

protected:
    virtual bool isDroppedDown() const = 0;
    virtual void setDroppedDown(bool down) = 0;
};

} // namespace tavelorn
