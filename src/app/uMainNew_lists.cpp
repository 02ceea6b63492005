// The commands that edit the option lists.
#include "uMainNew.h"

#include "uStringListEditor.h"

using namespace tavelorn;

namespace {

// Opens the list editor on a copy of list as the file holds it now (load reads it). On
// OK the edited copy replaces the list's items (a sorted list puts each at its place) and
// save writes the edit into the file as it is then; with compareFirst an unchanged list
// (same texts, case counting, same order) is not written.
void editList(QWidget* parent, const QString& caption, ItemList& list, int maxLength,
              bool compareFirst, const std::function<void()>& load,
              const std::function<void()>& save)
{
    load();
    QStringList items = list.items();
    if (ShowStringListEditor(caption, items, maxLength, parent) != TfrmStringListEditor::mrOk)
        return;
    if (compareFirst && items == list.items())
        return;
    list.assign(items);
    save();
}

} // namespace

void TfrmMainNew::bbtSystemTitleClick()
{
    guarded([this] {
        editList(
            this, QStringLiteral("System Title"), FStore.systemTitles(), 0, true,
            [this] { FStore.loadSystemTitles(); }, [this] { FStore.saveSystemTitles(); });
    });
}

void TfrmMainNew::bbtLandscapeTypeClick()
{
    guarded([this] {
        editList(
            this, QStringLiteral("Position in the landscape"), FStore.landscapeTypeNames(), 0, true,
            [this] { FStore.loadLandscapeTypes(); }, [this] { FStore.saveLandscapeTypes(); });
    });
}

// The SID list is written even when unchanged; the save's reload cleans it and
// rebuilds the source systems.
void TfrmMainNew::bbtSIDClick()
{
    guarded([this] {
        editList(
            this, QStringLiteral("SID"), FStore.sids(), 3, false, [this] { FStore.loadSids(); },
            [this] { FStore.saveSids(); });
    });
}

void TfrmMainNew::bbtRefreshCommentClick()
{
    guarded([this] {
        editList(
            this, QStringLiteral("Comment about refresh"), FStore.refreshComments(), 0, true,
            [this] { FStore.loadRefreshComments(); }, [this] { FStore.saveRefreshComments(); });
    });
}
