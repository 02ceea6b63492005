#include "configstore.h"

#include "apperror.h"
#include "inifile.h"
#include "text.h"

#include <QSet>

#include <algorithm>

namespace {

const QString kSystemInfo = QStringLiteral("SystemInfo");
const QString kSystemInfoPrefix = QStringLiteral("SystemInfo_");
const QString kNbItems = QStringLiteral("NbItems");
const QString kItemPrefix = QStringLiteral("Item_");
const QString kSystemTitle = QStringLiteral("SystemTitle");
const QString kSID = QStringLiteral("SID");
const QString kLandscapeType = QStringLiteral("LandscapeType");
const QString kColor = QStringLiteral("Color");
const QString kRefreshComment = QStringLiteral("RefreshComment");

const QString kID = QStringLiteral("ID");
const QString kBorderWidth = QStringLiteral("BorderWidth");
const QString kLansdscapePosition = QStringLiteral("LansdscapePosition");
const QString kUsage1 = QStringLiteral("Usage1");
const QString kUsage2 = QStringLiteral("Usage2");
const QString kPictureFullPath = QStringLiteral("PictureFullPath");
const QString kPictureCenter = QStringLiteral("PictureCenter");
const QString kPictureStretch = QStringLiteral("PictureStretch");
const QString kInfo1 = QStringLiteral("Info1");
const QString kInfo2 = QStringLiteral("Info2");
const QString kInfo3 = QStringLiteral("Info3");
const QString kLastRefresh = QStringLiteral("LastRefresh");
const QString kSourceRefresh = QStringLiteral("SourceRefresh");
const QString kCommentRefresh = QStringLiteral("CommentRefresh");

QString itemKey(qint32 n)
{
    return kItemPrefix + QString::number(n);
}

// The busy cursor for the length of a scope.
class BusyScope
{
public:
    explicit BusyScope(const std::function<void(bool)>& setBusy) : m_setBusy(setBusy)
    {
        if (m_setBusy)
            m_setBusy(true);
    }
    ~BusyScope()
    {
        if (m_setBusy)
            m_setBusy(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    const std::function<void(bool)>& m_setBusy;
};

// A count read from the file, bounded by the members the file really holds, so that an
// absurd count neither allocates nor loops without need.
qint32 boundedCount(qint32 count, qint32 highestPresent)
{
    return std::min(count, highestPresent);
}

qint32 listCount(const TIniFile& ini, const QString& section)
{
    const qint32 n = ini.ReadInteger(section, kNbItems, 0);
    if (n <= 0)
        return 0;
    return boundedCount(n, ini.HighestNumberedKey(section, kItemPrefix));
}

void saveList(const QString& file, const QString& section, const TItemList& list)
{
    TIniFile ini(file);
    const QStringList items = list.Items();
    ini.WriteInteger(section, kNbItems, qint32(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i)
        ini.WriteString(section, itemKey(qint32(i + 1)), items[i]);
    ini.UpdateFile();
}

// The items of a list section, as they stand.
QStringList readItems(const TIniFile& ini, const QString& section)
{
    const qint32 n = listCount(ini, section);
    QStringList items;
    items.reserve(n);
    for (qint32 i = 1; i <= n; ++i)
        items.append(ini.ReadString(section, itemKey(i), QString()));
    return items;
}

void loadCleanList(const TIniFile& ini, const QString& section, TItemList& list)
{
    TItemListUpdate update(list);
    list.Clear();
    AppendCleanItems(list, readItems(ini, section));
}

TColor storedColor(const TIniFile& ini, qint32 number)
{
    return ini.ReadInteger(kColor, itemKey(number), 0);
}

} // namespace

void TConfigStore::LoadSystemInfos()
{
    loadSystemInfos(TIniFile(FConfigFile));
}

void TConfigStore::loadSystemInfos(const TIniFile& ini)
{
    BusyScope busy(setBusy);
    TItemListUpdate update(cbxID);
    cbxID.Clear();
    qint32 n = ini.ReadInteger(kSystemInfo, kNbItems, 0);
    if (n < 0) {
        FArrSystemInfo.clear();
        FSystemInfoIdx = -1;
        throw EAppError(QStringLiteral("Erreur de vérification d'étendue"));
    }
    if (n > 0)
        n = boundedCount(n, ini.HighestNumberedSection(kSystemInfoPrefix));
    // Filled in place: a reload after a save finds most texts unchanged and keeps them.
    FArrSystemInfo.resize(n);
    const QString none;
    for (qint32 i = 1; i <= n; ++i) {
        const QString sec = kSystemInfoPrefix + QString::number(i);
        tySystemInfo& s = FArrSystemInfo[i - 1];
        ini.ReadStringInto(sec, kID, none, s.ID);
        s.BorderWidth = ini.ReadInteger(sec, kBorderWidth, 1);
        ini.ReadStringInto(sec, kSystemTitle, none, s.SystemTitle);
        ini.ReadStringInto(sec, kLansdscapePosition, none, s.LansdscapePosition);
        ini.ReadStringInto(sec, kSID, none, s.SID);
        ini.ReadStringInto(sec, kUsage1, none, s.Usage1);
        ini.ReadStringInto(sec, kUsage2, none, s.Usage2);
        ini.ReadStringInto(sec, kPictureFullPath, none, s.PictureFullPath);
        s.PictureCenter = ini.ReadBool(sec, kPictureCenter, false);
        s.PictureStretch = ini.ReadBool(sec, kPictureStretch, false);
        ini.ReadStringInto(sec, kInfo1, none, s.Info1);
        ini.ReadStringInto(sec, kInfo2, none, s.Info2);
        ini.ReadStringInto(sec, kInfo3, none, s.Info3);
        s.LastRefresh = ini.ReadDate(sec, kLastRefresh, 0);
        ini.ReadStringInto(sec, kSourceRefresh, none, s.SourceRefresh);
        ini.ReadStringInto(sec, kCommentRefresh, none, s.CommentRefresh);
        cbxID.Add(s.ID);
        if (processEvents)
            processEvents();
    }
    FSystemInfoIdx = n - 1;
}

void TConfigStore::SaveSystemInfos()
{
    BusyScope busy(setBusy);
    TIniFile ini(FConfigFile);
    qint32 k = 0;
    for (const tySystemInfo& s : std::as_const(FArrSystemInfo)) {
        if (s.ID.isEmpty())
            continue;
        const QString sec = kSystemInfoPrefix + QString::number(++k);
        ini.WriteString(sec, kID, s.ID);
        ini.WriteInteger(sec, kBorderWidth, s.BorderWidth);
        ini.WriteString(sec, kSystemTitle, s.SystemTitle);
        ini.WriteString(sec, kLansdscapePosition, s.LansdscapePosition);
        ini.WriteString(sec, kSID, s.SID);
        ini.WriteString(sec, kUsage1, s.Usage1);
        ini.WriteString(sec, kUsage2, s.Usage2);
        ini.WriteString(sec, kPictureFullPath, s.PictureFullPath);
        ini.WriteBool(sec, kPictureCenter, s.PictureCenter);
        ini.WriteBool(sec, kPictureStretch, s.PictureStretch);
        ini.WriteString(sec, kInfo1, s.Info1);
        ini.WriteString(sec, kInfo2, s.Info2);
        ini.WriteString(sec, kInfo3, s.Info3);
        ini.WriteDate(sec, kLastRefresh, s.LastRefresh);
        ini.WriteString(sec, kSourceRefresh, s.SourceRefresh);
        ini.WriteString(sec, kCommentRefresh, s.CommentRefresh);
    }
    ini.WriteInteger(kSystemInfo, kNbItems, k);
    ini.UpdateFile();
}

QString TConfigStore::MakeSystemInfoID(const QString& title, const QString& sid, TDateTime date)
{
    const QDate d = dateOf(date);
    return title + QStringLiteral("__") + sid + QStringLiteral("__") + QString::number(d.year()) +
           u'_' + QStringLiteral("%1").arg(d.month(), 2, 10, QLatin1Char('0')) + u'_' +
           QStringLiteral("%1").arg(d.day(), 2, 10, QLatin1Char('0'));
}

qint32 TConfigStore::FindSystemInfo(const QString& id) const
{
    for (qsizetype i = 0; i < FArrSystemInfo.size(); ++i)
        if (FArrSystemInfo[i].ID == id)
            return qint32(i);
    return -1;
}

void TConfigStore::StoreSystemInfo(const QString& id, const tySystemInfo& values)
{
    qint32 target;
    if (FSystemInfoIdx < 0 || FArrSystemInfo.isEmpty()) {
        FArrSystemInfo.resize(1);
        target = 0;
    } else if (FSystemInfoIdx < FArrSystemInfo.size() && FArrSystemInfo[FSystemInfoIdx].ID == id) {
        target = FSystemInfoIdx;
    } else if (const qint32 found = FindSystemInfo(id); found >= 0) {
        target = found;
    } else {
        FArrSystemInfo.append(tySystemInfo{});
        target = qint32(FArrSystemInfo.size() - 1);
    }
    FSystemInfoIdx = target;
    FArrSystemInfo[target] = values;
    FArrSystemInfo[target].ID = id;
    SaveSystemInfos();
    LoadSystemInfos();
}

void TConfigStore::DeleteSystemInfo(qint32 index)
{
    if (index < 0 || index >= FArrSystemInfo.size())
        return;
    FArrSystemInfo[index].ID.clear();
    SaveSystemInfos();
    LoadSystemInfos();
}

void TConfigStore::LoadSystemTitles()
{
    loadSystemTitles(TIniFile(FConfigFile));
}

void TConfigStore::loadSystemTitles(const TIniFile& ini)
{
    TItemListUpdate update(cbxSystemTitle);
    cbxSystemTitle.Clear();
    const qint32 n = listCount(ini, kSystemTitle);
    for (qint32 i = 1; i <= n; ++i)
        cbxSystemTitle.Add(ini.ReadString(kSystemTitle, itemKey(i), QString()));
}

void TConfigStore::SaveSystemTitles()
{
    saveList(FConfigFile, kSystemTitle, cbxSystemTitle);
}

void AppendCleanItems(TItemList& list, const QStringList& items)
{
    TItemListUpdate update(list);
    // A few items, as when a profile adds one: the list's own search costs less than
    // folding every item into a set.
    if (items.size() <= 8) {
        for (const QString& raw : items) {
            const QString item = trimText(raw);
            if (!item.isEmpty() && list.IndexOf(item) < 0)
                list.Add(item);
        }
        return;
    }
    QSet<QString> present;
    if (list.Count() > 0) {
        const QStringList existing = list.Items();
        present.reserve(existing.size() + items.size());
        for (const QString& item : existing)
            present.insert(TItemList::FoldKey(item));
    }
    for (const QString& raw : items) {
        const QString item = trimText(raw);
        if (item.isEmpty())
            continue;
        const QString key = TItemList::FoldKey(item);
        if (present.contains(key))
            continue;
        present.insert(key);
        list.Add(item);
    }
}

void TConfigStore::LoadSIDs()
{
    loadSIDs(TIniFile(FConfigFile));
}

void TConfigStore::loadSIDs(const TIniFile& ini)
{
    loadCleanList(ini, kSID, cbxSID);
    RebuildSourceSystems();
}

void TConfigStore::RebuildSourceSystems()
{
    QStringList sources = cbxSID.Items();
    sources.prepend(QString());
    cbxSourceSystem.Assign(sources);
}

void TConfigStore::SaveSIDs()
{
    saveList(FConfigFile, kSID, cbxSID);
}

void TConfigStore::LoadLandscapeTypes()
{
    loadLandscapeTypes(TIniFile(FConfigFile));
}

void TConfigStore::loadLandscapeTypes(const TIniFile& ini)
{
    TItemListUpdate update(cbxLandscapeType);
    cbxLandscapeType.Clear();
    FArrLandscapeType.clear();
    const qint32 n = listCount(ini, kLandscapeType);
    FArrLandscapeType.reserve(n);
    for (qint32 i = 1; i <= n; ++i) {
        const QString key = itemKey(i);
        tyLandscapeType t;
        t.Description = ini.ReadString(kLandscapeType, key, QString());
        t.Color = storedColor(ini, i);
        cbxLandscapeType.Add(t.Description);
        FArrLandscapeType.append(t);
    }
}

void TConfigStore::SaveLandscapeTypes()
{
    saveList(FConfigFile, kLandscapeType, cbxLandscapeType);
    LoadLandscapeTypes();
}

void TConfigStore::SaveLandscapeTypesAndColors()
{
    {
        TIniFile ini(FConfigFile);
        const qint32 n = qint32(FArrLandscapeType.size());
        ini.WriteInteger(kLandscapeType, kNbItems, n);
        ini.WriteInteger(kColor, kNbItems, n);
        for (qint32 i = 1; i <= n; ++i) {
            const QString key = itemKey(i);
            ini.WriteString(kLandscapeType, key, FArrLandscapeType[i - 1].Description);
            ini.WriteInteger(kColor, key, FArrLandscapeType[i - 1].Color);
        }
        ini.UpdateFile();
    }
    LoadLandscapeTypes();
}

void TConfigStore::LoadRefreshComments()
{
    loadRefreshComments(TIniFile(FConfigFile));
}

void TConfigStore::loadRefreshComments(const TIniFile& ini)
{
    TItemListUpdate update(cbxRefreshComment);
    loadCleanList(ini, kRefreshComment, cbxRefreshComment);
    cbxRefreshComment.Insert(0, QString());
}

void TConfigStore::SaveRefreshComments()
{
    saveList(FConfigFile, kRefreshComment, cbxRefreshComment);
    LoadRefreshComments();
}

TColor TConfigStore::GetLandscapeTypeColor(const QString& name) const
{
    return ::GetLandscapeTypeColor(FArrLandscapeType, name);
}

TColor TConfigStore::StoredLandscapeColor(qint32 number) const
{
    return storedColor(TIniFile(FConfigFile), number);
}

void TConfigStore::CopyListsFrom(const TConfigStore& other)
{
    FConfigFile = other.FConfigFile;
    FArrLandscapeType = other.FArrLandscapeType;
    cbxSystemTitle.AssignItems(other.cbxSystemTitle);
    cbxSID.AssignItems(other.cbxSID);
    cbxSourceSystem.AssignItems(other.cbxSourceSystem);
    cbxLandscapeType.AssignItems(other.cbxLandscapeType);
    cbxRefreshComment.AssignItems(other.cbxRefreshComment);
}

void TConfigStore::LoadAll()
{
    const TIniFile ini(FConfigFile);
    loadSystemTitles(ini);
    loadLandscapeTypes(ini);
    loadSIDs(ini);
    loadSystemInfos(ini);
    loadRefreshComments(ini);
}
