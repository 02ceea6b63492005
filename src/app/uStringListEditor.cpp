#include "uStringListEditor.h"
#include "ui_uStringListEditor.h"

#include "apptitle.h"
#include "buttonicon.h"
#include "itemlist.h"
#include "text.h"
#include "textlimitvalidator.h"
#include "windowplacement.h"

#include <QFont>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QSignalBlocker>

#include <algorithm>
#include <numeric>

using namespace tavelorn;

namespace {

constexpr int kMinWindowWidth = 400;
constexpr int kMinWindowHeight = 220;

} // namespace

// The form edges a control keeps its distance to when the window is resized.
struct TfrmStringListEditor::Anchored
{
    QWidget* widget;
    QRect design;
    bool left, top, right, bottom;
};

TfrmStringListEditor::TfrmStringListEditor(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmStringListEditor>())
{
    ui->setupUi(this);

    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setPixelSize(11);
    setFont(formFont);
    QFont listFont(QStringLiteral("Courier New"));
    listFont.setStyleHint(QFont::Monospace);
    listFont.setPixelSize(12);
    ui->ListBox->setFont(listFont);
    ui->Edit->setFont(listFont);

    // Names for screen readers: the picture-only buttons by their hints.
    for (QPushButton* b : {ui->bbtTri, ui->bbtMonter, ui->bbtDescendre})
        b->setAccessibleName(b->toolTip());
    ui->Edit->setAccessibleName(QStringLiteral("Texte de l'élément"));
    ui->ListBox->setAccessibleName(windowTitle());

    const QSize small(16, 16), large(24, 24);
    const struct
    {
        QPushButton* button;
        const char* picture;
        QSize size;
    } pictures[] = {
        {ui->bbtRemplacer, "replace", small},
        {ui->bbtAjouter, "add", small},
        {ui->bbtSupprimer, "delete", small},
        {ui->bbtTri, "sort", small},
        {ui->bbtMonter, "up", small},
        {ui->bbtDescendre, "down", small},
        {ui->bbtOk, "ok", large},
        {ui->bbtCancel, "delete", large},
    };
    for (const auto& p : pictures) {
        const QIcon icon = makeButtonIcon(
            QStringLiteral(":/stringlisteditor/%1.svg").arg(QLatin1String(p.picture)),
            p.size.width());
        // The sort picture is plain strokes: drawn in the button's text colour.
        if (p.button == ui->bbtTri)
            setInkIcon(p.button, icon, QIcon(), p.size.width());
        else
            p.button->setIcon(icon);
        p.button->setIconSize(p.size);
    }

    m_designClientSize = size();
    const struct
    {
        QWidget* widget;
        bool left, top, right, bottom;
    } anchors[] = {
        {ui->ListBox, true, true, true, true},        {ui->Edit, true, false, true, true},
        {ui->bbtRemplacer, true, false, false, true}, {ui->bbtAjouter, true, false, false, true},
        {ui->bbtSupprimer, true, false, false, true}, {ui->bbtTri, false, false, true, true},
        {ui->bbtMonter, false, false, true, true},    {ui->bbtDescendre, false, false, true, true},
        {ui->bbtOk, false, false, true, true},        {ui->bbtCancel, false, false, true, true},
    };
    for (const auto& a : anchors)
        m_anchored.append({a.widget, a.widget->geometry(), a.left, a.top, a.right, a.bottom});
    setMinimumSize(kMinWindowWidth, kMinWindowHeight);

    ui->bbtMonter->setEnabled(false);
    ui->bbtDescendre->setEnabled(false);

    connect(ui->ListBox, &QListWidget::itemSelectionChanged, this,
            &TfrmStringListEditor::ListBoxClick);
    ui->ListBox->installEventFilter(this);
    ui->Edit->installEventFilter(this);
    // A paste or drop by mouse changes the text without a key; judge it the same way.
    connect(ui->Edit, &QLineEdit::textEdited, this, &TfrmStringListEditor::EditKeyUp);
    for (QPushButton* b :
         {ui->bbtRemplacer, ui->bbtAjouter, ui->bbtSupprimer, ui->bbtMonter, ui->bbtDescendre})
        connect(b, &QPushButton::clicked, this, &TfrmStringListEditor::bbtActionClick);
    connect(ui->bbtTri, &QPushButton::clicked, this, &TfrmStringListEditor::bbtTriClick);
    connect(ui->bbtOk, &QPushButton::clicked, this, &TfrmStringListEditor::accept);
    connect(ui->bbtCancel, &QPushButton::clicked, this, &TfrmStringListEditor::reject);

    // Centred on the screen of the window that opened it.
    new CentredPlacement(this, [this] {
        const QWidget* owner = parentWidget() ? parentWidget()->window() : this;
        return owner->screen()->availableGeometry();
    });

    setItems({});
}

TfrmStringListEditor::~TfrmStringListEditor() = default;

void TfrmStringListEditor::setItems(const QStringList& items)
{
    {
        const QSignalBlocker blocker(ui->ListBox);
        ui->ListBox->clear();
        ui->ListBox->addItems(items);
        for (int i = 0; i < ui->ListBox->count(); ++i)
            ui->ListBox->item(i)->setData(kOriginRole, i);
        setSelectedIndex(items.isEmpty() ? -1 : 0);
    }
    ListBoxClick();
}

QStringList TfrmStringListEditor::items() const
{
    QStringList result;
    result.reserve(ui->ListBox->count());
    for (int i = 0; i < ui->ListBox->count(); ++i)
        result.append(ui->ListBox->item(i)->text());
    return result;
}

QList<int> TfrmStringListEditor::origins() const
{
    QList<int> result;
    result.reserve(ui->ListBox->count());
    for (int i = 0; i < ui->ListBox->count(); ++i) {
        const QVariant origin = ui->ListBox->item(i)->data(kOriginRole);
        result.append(origin.isValid() ? origin.toInt() : -1);
    }
    return result;
}

void TfrmStringListEditor::setMaxLength(int maxLength)
{
    m_maxLength = std::max(0, maxLength);
    delete m_limitValidator;
    m_limitValidator = m_maxLength > 0 ? new TextLimitValidator(ui->Edit, m_maxLength) : nullptr;
    ui->Edit->setValidator(m_limitValidator);
}

int TfrmStringListEditor::selectedIndex() const
{
    const QList<QListWidgetItem*> selected = ui->ListBox->selectedItems();
    return selected.isEmpty() ? -1 : ui->ListBox->row(selected.first());
}

void TfrmStringListEditor::setSelectedIndex(int index)
{
    const QSignalBlocker blocker(ui->ListBox);
    if (index < 0 || index >= ui->ListBox->count()) {
        ui->ListBox->clearSelection();
        ui->ListBox->setCurrentRow(-1);
    } else {
        ui->ListBox->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    }
}

void TfrmStringListEditor::accept()
{
    done(kResultOk);
}

// Also reached through the close box.
void TfrmStringListEditor::reject()
{
    done(kResultCancel);
}

void TfrmStringListEditor::ListBoxClick()
{
    const int i = selectedIndex();
    const int n = ui->ListBox->count();
    const QString text = i >= 0 ? ui->ListBox->item(i)->text() : QString();
    if (m_limitValidator)
        m_limitValidator->showText(text);
    else
        ui->Edit->setText(text);
    ui->bbtSupprimer->setEnabled(i >= 0);
    ui->bbtRemplacer->setEnabled(false);
    ui->bbtAjouter->setEnabled(false);
    ui->bbtMonter->setEnabled(i > 0);
    ui->bbtDescendre->setEnabled(i >= 0 && i <= n - 2);
}

void TfrmStringListEditor::ListBoxKeyUp()
{
    ListBoxClick();
}

void TfrmStringListEditor::EditKeyUp()
{
    const QString t = trimText(ui->Edit->text());
    const QStringList all = items();
    const bool present = std::any_of(all.cbegin(), all.cend(), [&](const QString& item) {
        return item.compare(t, Qt::CaseInsensitive) == 0;
    });
    const int i = selectedIndex();
    if (all.isEmpty() || i < 0) {
        // Replace and Delete act on the selected item, so without one only Add is
        // offered, for a non-blank text the list does not hold yet.
        ui->bbtRemplacer->setEnabled(false);
        ui->bbtAjouter->setEnabled(!t.isEmpty() && !present);
        ui->bbtSupprimer->setEnabled(false);
        return;
    }
    const QString& s = all.at(i);
    ui->bbtRemplacer->setEnabled(t != s);
    ui->bbtAjouter->setEnabled(t != s && !present);
}

void TfrmStringListEditor::bbtActionClick()
{
    const int tag = sender() ? sender()->property("tag").toInt() : 0;
    const int i = selectedIndex();
    const int n = ui->ListBox->count();
    const QString e = ui->Edit->text();
    QListWidget* list = ui->ListBox;
    {
        const QSignalBlocker blocker(list);
        switch (tag) {
        case 1: // Replace
            if (i >= 0)
                list->item(i)->setText(e);
            break;
        case 2: // Add
            list->addItem(e);
            setSelectedIndex(list->count() - 1);
            break;
        case 3: // Delete
            if (i >= 0) {
                delete list->takeItem(i);
                setSelectedIndex(i - 1);
            }
            break;
        case 4: // Up
            if (i > 0) {
                list->insertItem(i - 1, list->takeItem(i));
                setSelectedIndex(i - 1);
            }
            break;
        case 5: // Down
            if (i >= 0 && i < n - 1) {
                list->insertItem(i + 1, list->takeItem(i));
                setSelectedIndex(i + 1);
            }
            break;
        default:
            break;
        }
    }
    ListBoxClick();
}

// One ascending sort in the order of the sorted drop-downs (the user's locale, letter
// case ignored); the selection keeps its row number and the edit box and buttons stay as they are.
void TfrmStringListEditor::bbtTriClick()
{
    // Each text takes its origin along, so that a later rename is still known as one.
    const QStringList texts = items();
    QList<QVariant> from;
    from.reserve(texts.size());
    for (int i = 0; i < texts.size(); ++i)
        from.append(ui->ListBox->item(i)->data(kOriginRole));
    QList<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&texts](int a, int b) {
        return ItemList::compare(texts.at(a), texts.at(b)) < 0;
    });
    const QSignalBlocker blocker(ui->ListBox);
    for (int i = 0; i < order.size(); ++i) {
        ui->ListBox->item(i)->setText(texts.at(order.at(i)));
        ui->ListBox->item(i)->setData(kOriginRole, from.at(order.at(i)));
    }
}

bool TfrmStringListEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->ListBox) {
        // The release of the Tab that brought the focus here is no key of the list:
        // it must not overwrite what the user typed into the edit box.
        if (event->type() == QEvent::FocusIn)
            m_listKeyPressed = false;
        else if (event->type() == QEvent::KeyPress)
            m_listKeyPressed = true;
        else if (event->type() == QEvent::KeyRelease && m_listKeyPressed)
            ListBoxKeyUp();
    } else if (watched == ui->Edit && event->type() == QEvent::KeyRelease) {
        EditKeyUp();
    }
    return QDialog::eventFilter(watched, event);
}

// Escape is bound to no button; Enter still reaches the default button.
void TfrmStringListEditor::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmStringListEditor::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int dw = width() - m_designClientSize.width();
    const int dh = height() - m_designClientSize.height();
    for (const Anchored& a : m_anchored) {
        QRect r = a.design;
        if (a.right) {
            if (a.left)
                r.setWidth(r.width() + dw);
            else
                r.moveLeft(r.left() + dw);
        }
        if (a.bottom) {
            if (a.top)
                r.setHeight(r.height() + dh);
            else
                r.moveTop(r.top() + dh);
        }
        a.widget->setGeometry(r);
    }
}

void TfrmStringListEditor::showEvent(QShowEvent* event)
{
    if (!m_shown) {
        m_shown = true;
        if (ui->ListBox->count() > 0)
            ui->ListBox->setFocus();
        else
            ui->Edit->setFocus();
    }
    QDialog::showEvent(event);
    applyFrameToMinimumSize();
}

void TfrmStringListEditor::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    applyFrameToMinimumSize();
}

// The minimum is the size of the whole window; the frame is known only once the
// window manager has framed it.
void TfrmStringListEditor::applyFrameToMinimumSize()
{
    const QSize frame = frameGeometry().size() - size();
    setMinimumSize(std::max(0, kMinWindowWidth - frame.width()),
                   std::max(0, kMinWindowHeight - frame.height()));
}

void TfrmStringListEditor::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange)
        ui->ListBox->setAccessibleName(windowTitle());
}

int ShowStringListEditor(const QString& caption, QStringList& list, int maxLength, QWidget* parent,
                         QList<int>* origins)
{
    TfrmStringListEditor dialog(parent);
    dialog.setWindowTitle(caption.isEmpty() ? appTitle() : caption);
    dialog.setItems(list);
    dialog.setMaxLength(maxLength);
    const int result = dialog.exec();
    if (result == TfrmStringListEditor::kResultOk) {
        list = dialog.items();
        if (origins)
            *origins = dialog.origins();
    }
    return result == TfrmStringListEditor::kResultOk ? TfrmStringListEditor::kResultOk
                                                     : TfrmStringListEditor::kResultCancel;
}
