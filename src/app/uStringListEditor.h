#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class TfrmStringListEditor;
}
namespace tavelorn {
class TextLimitValidator;
}

// Modal editor for an ordered list of texts: replace, add, delete, move up or down,
// sort once. It works on its own copy; ShowStringListEditor hands the list back on OK.
class TfrmStringListEditor : public QDialog
{
    Q_OBJECT

public:
    // Modal results: OK gives kResultOk, Cancel and the close box give kResultCancel.
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;

    explicit TfrmStringListEditor(QWidget* parent = nullptr);
    ~TfrmStringListEditor() override;

    // Fills the list box with a copy of items, selects the first one when there is
    // one and applies the selection rule.
    void setItems(const QStringList& items);
    QStringList items() const;
    // For each item, its index in the list setItems was given, or -1 for an added one:
    // Replace and the moves keep it, so a caller can tell a renamed item from a new one.
    QList<int> origins() const;

    // Most characters the user may type into the edit box; 0 means no limit.
    // A longer text put there by the program is still shown whole.
    void setMaxLength(int maxLength);
    int maxLength() const { return m_maxLength; }

    // The selected row, -1 when none.
    int selectedIndex() const;

public slots:
    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    // The list is named after the window's caption, for screen readers.
    void changeEvent(QEvent* event) override;

private slots:
    void ListBoxClick();
    void ListBoxKeyUp();
    void EditKeyUp();
    void bbtActionClick();
    void bbtTriClick();

private:
    static constexpr int kOriginRole = Qt::UserRole + 1;

    void setSelectedIndex(int index);
    void applyFrameToMinimumSize();

    std::unique_ptr<Ui::TfrmStringListEditor> ui;
    int m_maxLength = 0;
    tavelorn::TextLimitValidator* m_limitValidator = nullptr; // owned by the edit box

    struct Anchored;
    QList<Anchored> m_anchored;
    QSize m_designClientSize;
    bool m_shown = false;
    bool m_listKeyPressed = false;
};

// Shows the editor with the window title caption (the application title when empty)
// on a copy of list, with the edit box limited to maxLength characters (0: no limit).
// Replaces list by the edited items only when the user leaves with OK. Returns the
// modal result: 1 for OK, 2 for Cancel or the close box. On OK, origins (when given)
// receives the editor's origins() of the items handed back.
int ShowStringListEditor(const QString& caption, QStringList& list, int maxLength,
                         QWidget* parent = nullptr, QList<int>* origins = nullptr);
