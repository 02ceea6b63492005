// Following Config.ini when another window or user writes it.
#include "uMainNew.h"
#include "ui_uMainNew.h"

#include "configwatcher.h"
#include "inifile.h"

#include <QApplication>
#include <QScopeGuard>

#include <optional>

using namespace tavelorn;

namespace {

// The same profiles and lists, as a load of the file gives them.
bool sameContent(const ConfigStore& a, const ConfigStore& b)
{
    return a.profiles() == b.profiles() && a.systemTitles().items() == b.systemTitles().items() &&
           a.sids().items() == b.sids().items() && a.landscapeTypes() == b.landscapeTypes() &&
           a.refreshComments().items() == b.refreshComments().items();
}

} // namespace

bool TfrmMainNew::mayFollowNow() const
{
    // Never under a handler, which works on the lists as it loaded them, nor under a
    // dialog or an open drop-down.
    return !m_following && !HandlerGuard::running() && !QApplication::activeModalWidget() &&
           !QApplication::activePopupWidget();
}

bool TfrmMainNew::followConfigFile()
{
    if (!mayFollowNow())
        return false;
    // Taken before the read, so that a write after it is seen at the next tick.
    const FileIdentity now = m_watcher->current();
    m_following = true;
    const auto done = qScopeGuard([this] { m_following = false; });
    // A file gone or unreadable for the moment leaves the window as it is.
    if (!now.exists)
        return false;
    std::optional<IniFile> ini;
    ConfigStore fresh(m_store.filePath());
    try {
        ini.emplace(m_store.readFile());
        fresh.loadAllFrom(*ini);
    } catch (const std::exception&) {
        m_watcher->seen(now);
        return false;
    }
    m_watcher->seen(now);
    // Our own writes: the window shows what the file holds already.
    if (sameContent(fresh, m_store))
        return false;

    const bool hadId = ui->cbxID->currentIndex() >= 0;
    const QString id = comboText(ui->cbxID);
    const QString position = comboText(ui->cbxLandscapeType);
    const Color colour = m_store.landscapeTypeColor(position);
    // The selectors keep their selected items (itemlistmodel.h); the edits stay as typed.
    setStoreFeedback(false);
    const auto feedback = qScopeGuard([this] { setStoreFeedback(true); });
    m_store.loadAllFrom(*ini);
    if (hadId && ui->cbxID->currentIndex() >= 0)
        m_store.setCurrentProfileIndex(m_store.findProfile(id));
    // A position whose colour another writer changed is drawn in its new colour.
    if (ui->cbxLandscapeType->currentIndex() >= 0 && m_store.landscapeTypeColor(position) != colour)
        cbxLandscapeTypeChange();
    return true;
}
