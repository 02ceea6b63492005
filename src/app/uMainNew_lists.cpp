// The commands that edit the option lists.
#include "uMainNew.h"

#include "itemlistmodel.h"
#include "uStringListEditor.h"

using namespace tavelorn;

namespace {

// Ends the models' announced replacement on every path.
class ReplacementFollowed
{
public:
    explicit ReplacementFollowed(QList<ItemListModel*> models) : m_models(std::move(models)) {}
    ~ReplacementFollowed()
    {
        for (ItemListModel* m : m_models)
            m->followReplacement({}, {});
    }
    ReplacementFollowed(const ReplacementFollowed&) = delete;
    ReplacementFollowed& operator=(const ReplacementFollowed&) = delete;

private:
    QList<ItemListModel*> m_models;
};

// Opens the list editor on a copy of list as the file holds it now (load reads it). On
// OK the edited copy replaces the list's items (a sorted list puts each at its place) and
// save writes the edit into the file as it is then; with compareFirst an unchanged list
// (same texts, case counting, same order) is not written. When the item shown by shown
// was replaced in the editor, the models follow it to its new text (the picture with them).
void editList(QWidget* parent, const QString& caption, ItemList& list, int maxLength,
              bool compareFirst, const std::function<void()>& load,
              const std::function<void()>& save, ItemListModel* shown,
              const QList<ItemListModel*>& followers)
{
    load();
    const QStringList before = list.items();
    const int selected = shown->selectedIndex();
    QStringList items = before;
    QList<int> origins;
    if (ShowStringListEditor(caption, items, maxLength, parent, &origins) !=
        TfrmStringListEditor::kResultOk)
        return;
    if (compareFirst && items == before)
        return;
    const ReplacementFollowed followed(followers);
    const qsizetype now = selected >= 0 ? origins.indexOf(selected) : -1;
    if (now >= 0 && now < items.size() && items.at(now) != before.at(selected))
        for (ItemListModel* m : followers)
            m->followReplacement(before.at(selected), items.at(now));
    list.assign(items);
    save();
}

} // namespace

void TfrmMainNew::bbtSystemTitleClick()
{
    guarded([this] {
        editList(
            this, QStringLiteral("System Title"), m_store.systemTitles(), 0, true,
            [this] { m_store.loadSystemTitles(); }, [this] { m_store.saveSystemTitles(); },
            m_systemTitleModel.get(), {m_systemTitleModel.get()});
    });
}

void TfrmMainNew::bbtLandscapeTypeClick()
{
    guarded([this] {
        editList(
            this, QStringLiteral("Position in the landscape"), m_store.landscapeTypeNames(), 0,
            true, [this] { m_store.loadLandscapeTypes(); },
            [this] { m_store.saveLandscapeTypes(); }, m_landscapeTypeModel.get(),
            {m_landscapeTypeModel.get()});
    });
}

// The SID list is written even when unchanged; the save's reload cleans it and
// rebuilds the source systems.
void TfrmMainNew::bbtSIDClick()
{
    guarded([this] {
        editList(
            this, QStringLiteral("SID"), m_store.sids(), 3, false, [this] { m_store.loadSids(); },
            [this] { m_store.saveSids(); }, m_sidModel.get(),
            {m_sidModel.get(), m_sourceSystemModel.get()});
    });
}

void TfrmMainNew::bbtRefreshCommentClick()
{
    guarded([this] {
        editList(
            this, QStringLiteral("Comment about refresh"), m_store.refreshComments(), 0, true,
            [this] { m_store.loadRefreshComments(); }, [this] { m_store.saveRefreshComments(); },
            m_refreshCommentModel.get(), {m_refreshCommentModel.get()});
    });
}
