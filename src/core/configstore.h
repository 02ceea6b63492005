#pragma once

#include "datetime.h"
#include "itemlist.h"
#include "systeminfo.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class TIniFile;

// The profiles and option lists of the main window, loaded from and saved to the
// configuration file. Every operation is a transaction on the file as it is now, under
// the file's lock: a load reads it whole, a save re-reads it, applies only its own change
// (one profile, or the edit made to a list since the list was loaded) and writes it back,
// so that what other windows and users wrote meanwhile stays. The lists then show the
// file's merged content. Errors are EAppError with the user's message.
class TConfigStore
{
public:
    TConfigStore() = default;
    explicit TConfigStore(const QString& configFile) : FConfigFile(configFile) {}
    TConfigStore(const TConfigStore&) = delete;
    TConfigStore& operator=(const TConfigStore&) = delete;

    QString FConfigFile;
    tyArrSystemInfo FArrSystemInfo;
    qint32 FSystemInfoIdx = -1;
    tyArrLandscapeType FArrLandscapeType;

    TItemList cbxID{true};
    TItemList cbxSystemTitle;
    TItemList cbxSID{true};
    TItemList cbxSourceSystem;
    TItemList cbxLandscapeType;
    TItemList cbxRefreshComment;

    // Lets the GUI process pending events; called after each profile LoadSystemInfos reads.
    std::function<void()> processEvents;
    // Shows (true) or resets (false) the busy cursor around loading and saving profiles;
    // the reset also happens when the operation fails.
    std::function<void(bool busy)> setBusy;
    // Asked, outside the file's lock, before a save turns a code-page file (read in the
    // code page given) into UTF-16LE; false drops the change and leaves the file as it
    // was. Unset, the file is turned.
    std::function<bool(int codePage)> confirmLeavingCodePage;

    // Replaces the profiles, the items of cbxID and FSystemInfoIdx (the last profile's
    // index, -1 when none) from the file. A negative count throws
    // "Erreur de vérification d'étendue" and leaves the store empty.
    void LoadSystemInfos();
    // "<title>__<sid>__<year>_<MM>_<dd>"; the time of day is ignored.
    static QString MakeSystemInfoID(const QString& title, const QString& sid, TDateTime date);
    // Index of the first profile whose ID equals id exactly, or -1.
    qint32 FindSystemInfo(const QString& id) const;
    // Among the profiles the file holds now: replaces the current profile when it has this
    // id, else the first one with this id, else appends one; writes every profile with a
    // non-empty ID as SystemInfo_1 … k, then the count k; reloads. The ID of values is
    // ignored.
    void StoreSystemInfo(const QString& id, const tySystemInfo& values);
    // Drops the profile at index (found again in the file by its identifier, nothing when
    // it is gone already), writes the rest as StoreSystemInfo does, reloads.
    void DeleteSystemInfo(qint32 index);

    // Each Save writes the edit made to the list since its last load (items added,
    // removed, replaced, moved) into the list as the file holds it now, then reloads it.
    void LoadSystemTitles();
    void SaveSystemTitles();
    // Also rebuilds cbxSourceSystem: an empty item, then the SIDs.
    void LoadSIDs();
    void SaveSIDs();
    // Replaces cbxLandscapeType and FArrLandscapeType (names with their colours).
    void LoadLandscapeTypes();
    // Writes the names of cbxLandscapeType (colours stay in their numbered places), reloads.
    void SaveLandscapeTypes();
    // Writes FArrLandscapeType, names and colours: the colours the user changed since the
    // load, the others as the file holds them now; reloads.
    void SaveLandscapeTypesAndColors();
    // cbxSourceSystem := an empty item, then the items of cbxSID.
    void RebuildSourceSystems();
    // An empty item, then the comments.
    void LoadRefreshComments();
    // Writes cbxRefreshComment as it is (its empty top item too), reloads.
    void SaveRefreshComments();
    TColor GetLandscapeTypeColor(const QString& name) const;
    // The colour stored for landscape position number (1-based), which a reload gives the
    // position of that number: "Color" "Item_" number as last loaded, 0 when there is none.
    TColor StoredLandscapeColor(qint32 number) const;

    // Copies the file name, the option lists and FArrLandscapeType of other (not the
    // profiles); the texts are shared until either side changes.
    void CopyListsFrom(const TConfigStore& other);

    // The five loads in start-up order: titles, landscape positions, SIDs, profiles,
    // refresh comments, from one reading of the file. Stops at the first error (thrown).
    // Never writes the file.
    void LoadAll();
    // The same loads from a file already read (ReadFile), for a caller that reads more of
    // it.
    void LoadAllFrom(const TIniFile& ini);
    // The file as it is now, read under the shared lock (its old content when an in-place
    // rewrite of it was killed).
    TIniFile ReadFile() const;

private:
    // Under the write lock: reads the file, lets change edit it, writes it back; returns
    // what was written.
    TIniFile modifyFile(const std::function<void(TIniFile&)>& change);
    // The loads, from a file already read.
    void loadSystemInfos(const TIniFile& ini);
    void loadSystemTitles(const TIniFile& ini);
    void loadSIDs(const TIniFile& ini);
    void loadLandscapeTypes(const TIniFile& ini);
    void loadRefreshComments(const TIniFile& ini);

    // Each list as last loaded, which its save compares with the list to find the edit.
    QStringList m_fileSystemTitles;
    QStringList m_fileSIDs;
    tyArrLandscapeType m_fileLandscapeTypes;
    QStringList m_fileRefreshComments;
    QList<TColor> m_storedColors; // "Color" Item_1 … as last loaded
};

// The profiles SystemInfo_1 … n as the file holds them (n bounded by the sections there);
// a negative count throws "Erreur de vérification d'étendue".
tyArrSystemInfo ReadProfiles(const TIniFile& ini);
// Writes every profile with a non-empty ID as SystemInfo_1 … k, then the count k.
void WriteProfiles(TIniFile& ini, const tyArrSystemInfo& profiles);

// The load rule of the SID and refresh comment lists: appends each of items to list
// trimmed, unless it is empty or already present (letter case ignored; the first
// spelling wins).
void AppendCleanItems(TItemList& list, const QStringList& items);
