// The commands that edit the option lists.
#include "uMainNew.h"

#include "uStringListEditor.h"

namespace {

// Opens the list editor on a copy of list as the file holds it now (load reads it). On
// OK the edited copy replaces the list's items (a sorted list puts each at its place) and
// save writes the edit into the file as it is then; with compareFirst an unchanged list
// (same texts, case counting, same order) is not written.
void editList(QWidget* parent, const QString& caption, TItemList& list, int maxLength,
              bool compareFirst, const std::function<void()>& load,
              const std::function<void()>& save)
{
    load();
    QStringList items = list.Items();
    if (ShowStringListEditor(caption, items, maxLength, parent) != TfrmStringListEditor::mrOk)
        return;
    if (compareFirst && items == list.Items())
        return;
    list.Assign(items);
    save();
}

} // namespace

void TfrmMainNew::bbtSystemTitleClick()
{
    guarded([this] {
        editList(
            this, QStringLiteral("System Title"), FStore.cbxSystemTitle, 0, true,
            [this] { FStore.LoadSystemTitles(); }, [this] { FStore.SaveSystemTitles(); });
    });
}

void TfrmMainNew::bbtLandscapeTypeClick()
{
    guarded([this] {
        editList(
            this, QStringLiteral("Position in the landscape"), FStore.cbxLandscapeType, 0, true,
            [this] { FStore.LoadLandscapeTypes(); }, [this] { FStore.SaveLandscapeTypes(); });
    });
}

// The SID list is written even when unchanged; the save's reload cleans it and
// rebuilds the source systems.
void TfrmMainNew::bbtSIDClick()
{
    guarded([this] {
        editList(
            this, QStringLiteral("SID"), FStore.cbxSID, 3, false, [this] { FStore.LoadSIDs(); },
            [this] { FStore.SaveSIDs(); });
    });
}

void TfrmMainNew::bbtRefreshCommentClick()
{
    guarded([this] {
        editList(
            this, QStringLiteral("Comment about refresh"), FStore.cbxRefreshComment, 0, true,
            [this] { FStore.LoadRefreshComments(); }, [this] { FStore.SaveRefreshComments(); });
    });
}
