#pragma once

#include "datetime.h"
#include "filetransaction.h"
#include "itemlist.h"
#include "profile.h"
#include "systeminfo.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

namespace tavelorn {

class IniFile;

// How an option list is kept in its section of Config.ini ("NbItems", then Item_1 … n)
// and loaded from it. A save writes the list's items as they stand.
struct OptionListRule
{
    QString section;
    // Kept in the order of ItemList::compare.
    bool sorted = false;
    // Loaded trimmed, without empty items or duplicates (appendCleanItems).
    bool cleaned = false;
    // Loaded with an empty item first.
    bool leadingEmpty = false;
};

// The profiles and option lists of the main window, loaded from and saved to the
// configuration file. Every operation is a transaction on the file as it is now
// (FileTransaction): a load reads it whole without a lock, a save takes the writers'
// lock, re-reads it, applies only its own change
// (one profile, or the edit made to a list since the list was loaded) and writes it back,
// so that what other windows and users wrote meanwhile stays. The lists then show the
// file's merged content. Errors are AppError with the user's message.
class ConfigStore
{
public:
    ConfigStore();
    explicit ConfigStore(const QString& configFile);
    ConfigStore(const ConfigStore&) = delete;
    ConfigStore& operator=(const ConfigStore&) = delete;

    const QString& filePath() const { return m_filePath; }
    void setFilePath(const QString& path) { m_filePath = path; }

    // The profiles as last loaded, in file order.
    const ProfileList& profiles() const { return m_profiles; }
    // The profile the window shows: the last one after a load, -1 when there is none.
    qint32 currentProfileIndex() const { return m_currentProfileIndex; }
    void setCurrentProfileIndex(qint32 index) { m_currentProfileIndex = index; }
    // The landscape positions with their colours; the colour dialog edits them in place
    // before saveLandscapeTypesAndColors.
    const LandscapeTypeList& landscapeTypes() const { return m_landscapeTypes; }
    LandscapeTypeList& landscapeTypes() { return m_landscapeTypes; }

    // The option lists the window's drop-downs show (the profile identifiers and the SIDs
    // sorted); editors change them before the matching save.
    ItemList& profileIds() { return m_profileIds; }
    const ItemList& profileIds() const { return m_profileIds; }
    ItemList& systemTitles() { return m_systemTitles.list; }
    const ItemList& systemTitles() const { return m_systemTitles.list; }
    ItemList& sids() { return m_sids.list; }
    const ItemList& sids() const { return m_sids.list; }
    ItemList& sourceSystems() { return m_sourceSystems; }
    const ItemList& sourceSystems() const { return m_sourceSystems; }
    ItemList& landscapeTypeNames() { return m_landscapeTypeNames.list; }
    const ItemList& landscapeTypeNames() const { return m_landscapeTypeNames.list; }
    ItemList& refreshComments() { return m_refreshComments.list; }
    const ItemList& refreshComments() const { return m_refreshComments.list; }

    // Lets the GUI process pending events; called after each profile loadProfiles reads.
    void setProcessEvents(std::function<void()> processEvents)
    {
        m_processEvents = std::move(processEvents);
    }
    // Shows (true) or resets (false) the busy cursor around loading and saving profiles;
    // the reset also happens when the operation fails.
    void setBusyHandler(std::function<void(bool busy)> setBusy) { m_setBusy = std::move(setBusy); }
    // Asked, outside the file's lock, before a save turns a code-page file (read in the
    // code page given) into UTF-16LE; false drops the change and leaves the file as it
    // was. Unset, the file is turned.
    void setCodePageConfirmation(std::function<bool(int codePage)> confirm)
    {
        m_confirmLeavingCodePage = std::move(confirm);
    }

    // Told while a save waits for another writer's lock (FileTransaction): the window
    // keeps painting, names the holder and offers to give up.
    void setLockWaitObserver(LockWaitObserver observer)
    {
        m_lockWaitObserver = std::move(observer);
    }

    // Replaces the profiles, the profile identifiers and the current profile index (the last
    // profile's index, -1 when none) from the file. A negative count throws "Erreur de vérification
    // d'étendue" and leaves the store empty.
    void loadProfiles();
    // "<title>__<sid>__<year>_<MM>_<dd>"; the time of day is ignored.
    static QString makeProfileId(const QString& title, const QString& sid, SerialDate date);
    // Index of the first profile whose ID equals id exactly, or -1.
    qint32 findProfile(const QString& id) const;
    // Among the profiles the file holds now: replaces the current profile when it has this
    // id, else the first one with this id, else appends one; writes every profile with a
    // non-empty ID as SystemInfo_1 … k, then the count k; reloads. The ID of values is
    // ignored.
    void storeProfile(const QString& id, const Profile& values);
    // Save of a profile the window applied as base and the user then edited into values.
    // With id base's identifier, the profile the file holds now under it (found as above)
    // takes only the fields values changed from base and keeps what others changed
    // meanwhile (mergeProfileEdit); a profile deleted elsewhere is appended as values only
    // when values differ from base, else nothing is written. Another id saves values
    // whole, as above. Reloads.
    void storeProfile(const QString& id, const Profile& values, const Profile& base);
    // Drops the profile at index (found again in the file by its identifier, nothing when
    // it is gone already), writes the rest as storeProfile does, reloads.
    void deleteProfile(qint32 index);

    // Each Save writes the edit made to the list since its last load (items added,
    // removed, replaced, moved) into the list as the file holds it now, then reloads it.
    void loadSystemTitles();
    void saveSystemTitles();
    // Also rebuilds the source systems: an empty item, then the SIDs.
    void loadSids();
    void saveSids();
    // Replaces the landscape position names and landscapeTypes() (names with their colours).
    void loadLandscapeTypes();
    // Writes the landscape position names (colours stay in their numbered places), reloads.
    void saveLandscapeTypes();
    // Writes landscapeTypes(), names and colours: the colours the user changed since the
    // load, the others as the file holds them now; reloads.
    void saveLandscapeTypesAndColors();
    // sourceSystems() := an empty item, then the SIDs.
    void rebuildSourceSystems();
    // An empty item, then the comments.
    void loadRefreshComments();
    // Writes the refresh comments as it is (its empty top item too), reloads.
    void saveRefreshComments();
    Color landscapeTypeColor(const QString& name) const;
    // The colour stored for landscape position number (1-based), which a reload gives the
    // position of that number: "Color" "Item_" number as last loaded, 0 when there is none.
    Color storedLandscapeColor(qint32 number) const;

    // Copies the file name, the option lists and the landscape positions of other (not the
    // profiles); the texts are shared until either side changes.
    void copyListsFrom(const ConfigStore& other);

    // The five loads in start-up order: titles, landscape positions, SIDs, profiles,
    // refresh comments, from one reading of the file. Stops at the first error (thrown).
    // Never writes the file.
    void loadAll();
    // The same loads from a file already read (readFile), for a caller that reads more of
    // it.
    void loadAllFrom(const IniFile& ini);
    // The file as it is now, read without a lock and without leaving a trace (its old
    // content while an in-place rewrite of it is under way or was killed).
    IniFile readFile() const;

private:
    // An option list with its items as last loaded, which its save compares with the
    // list to find the edit.
    struct OptionList
    {
        explicit OptionList(const OptionListRule& listRule);

        const OptionListRule& rule;
        ItemList list;
        QStringList loaded;
    };

    // Under the write lock: reads the file, lets change edit it, writes it back; returns
    // what was written.
    IniFile modifyFile(const std::function<void(IniFile&)>& change);
    // The loads, from a file already read.
    void loadProfiles(const IniFile& ini);
    void loadSystemTitles(const IniFile& ini);
    void loadSids(const IniFile& ini);
    void loadLandscapeTypes(const IniFile& ini);
    void loadRefreshComments(const IniFile& ini);
    static void loadList(const IniFile& ini, OptionList& list);
    // Writes the edit made to list since its load into the list as the file holds it now;
    // returns the file as written.
    IniFile saveList(const OptionList& list);

    QString m_filePath;
    ProfileList m_profiles;
    qint32 m_currentProfileIndex = -1;
    LandscapeTypeList m_landscapeTypes;
    ItemList m_profileIds{true};
    OptionList m_systemTitles;
    OptionList m_sids;
    ItemList m_sourceSystems;
    OptionList m_landscapeTypeNames;
    OptionList m_refreshComments;
    std::function<void()> m_processEvents;
    std::function<void(bool busy)> m_setBusy;
    std::function<bool(int codePage)> m_confirmLeavingCodePage;
    LockWaitObserver m_lockWaitObserver;
    QList<Color> m_storedColors; // "Color" Item_1 … as last loaded
};

// The profiles SystemInfo_1 … n as the file holds them (n bounded by the sections there);
// a negative count throws "Erreur de vérification d'étendue".
ProfileList readProfiles(const IniFile& ini);
// The identifiers of those profiles, in file order, with the same count and error.
QStringList readProfileIds(const IniFile& ini);
// Writes every profile with a non-empty ID as SystemInfo_1 … k, then the count k.
void writeProfiles(IniFile& ini, const ProfileList& profiles);

// The load rule of the SID and refresh comment lists: appends each of items to list
// trimmed, unless it is empty or already present (letter case ignored; the first
// spelling wins).
void appendCleanItems(ItemList& list, const QStringList& items);

} // namespace tavelorn
