// Exporting profiles as tavelorn-export does: load Config.ini, apply each profile to
// scratch copies of the lists, render, encode and write the picture.
#include "applyprofile.h"
#include "configstore.h"
#include "guimain.h"
#include "jpegexport.h"
#include "profilelists.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tavelorn;

namespace {

QByteArray sid(char prefix, int i)
{
    return prefix + QByteArray::number(i).rightJustified(6, '0');
}

// sids SIDs in the list; profiles profiles whose SID and source system are in that list
// (listed) or missing from it, with a refresh comment the list lacks either way; each
// profile's landscape position is QAS, the one listed, or one of its own that the list lacks.
QByteArray makeConfig(int sids, int profiles, bool listed, bool positionsListed = true)
{
    QByteArray c = "[SystemTitle]\nNbItems=1\nItem_1=SAP ERP 6.0 EHP7\n"
                   "[LandscapeType]\nNbItems=1\nItem_1=QAS\n[Color]\nNbItems=1\nItem_1=32768\n"
                   "[RefreshComment]\nNbItems=1\nItem_1=Monthly refresh\n";
    c += "[SID]\nNbItems=" + QByteArray::number(sids) + '\n';
    for (int i = 1; i <= sids; ++i)
        c += "Item_" + QByteArray::number(i) + '=' + sid('S', i) + '\n';
    c += "[SystemInfo]\nNbItems=" + QByteArray::number(profiles) + '\n';
    const QByteArray date = QDate(2024, 1, 5).toString(shortDateFormat()).toUtf8();
    for (int i = 1; i <= profiles; ++i) {
        const QByteArray s = listed ? sid('S', 1 + (i * 7919) % sids) : sid('U', i);
        c += "[SystemInfo_" + QByteArray::number(i) + "]\nID=Profile " + QByteArray::number(i) +
             "\nSystemTitle=SAP ERP 6.0 EHP7\nLansdscapePosition=" +
             (positionsListed ? QByteArray("QAS") : "P" + QByteArray::number(i)) + "\nSID=" + s +
             "\nUsage1=Quality assurance\nLastRefresh=" + date +
             "\nSourceRefresh=" + (listed ? sid('S', 1 + (i * 104729) % sids) : sid('V', i)) +
             "\nCommentRefresh=Copy of production\n";
    }
    return c;
}

QString writeConfig(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString path = dir.filePath(QStringLiteral("Config.ini"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

// One profile through the steps of the command.
void exportProfile(const ConfigStore& store, const Profile& p, const QString& path)
{
    PictureModel picture;
    ProfileLists lists = ProfileLists::scratch(store);
    applyProfileToPicture(picture, p, lists);
    QImage image;
    renderPicture(picture, image);
    writePictureFile(path, encodeJpeg(image, 100));
}

// tavelorn-export --profile of a profile whose SID, source and comment the lists lack,
// against a SID list of range(0) items: load included.
void BM_ExportUnlistedProfile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString config = writeConfig(dir, makeConfig(int(state.range(0)), 1, false));
    const QString out = dir.filePath(QStringLiteral("out.jpg"));
    for (auto _ : state) {
        ConfigStore store(config);
        store.loadAll();
        exportProfile(store, store.profiles().at(0), out);
    }
}
BENCHMARK(BM_ExportUnlistedProfile)
    ->Arg(1000)
    ->Arg(16000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Applying that profile alone, the lists loaded: what the list size costs each profile.
void BM_ApplyUnlistedProfile(benchmark::State& state)
{
    QTemporaryDir dir;
    ConfigStore store(writeConfig(dir, makeConfig(int(state.range(0)), 1, false)));
    store.loadAll();
    const Profile p = store.profiles().at(0);
    for (auto _ : state) {
        PictureModel picture;
        ProfileLists lists = ProfileLists::scratch(store);
        applyProfileToPicture(picture, p, lists);
        benchmark::DoNotOptimize(picture.sid.text);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ApplyUnlistedProfile)
    ->RangeMultiplier(4)
    ->Range(1000, 256000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();

// tavelorn-export --all: arguments profiles, SIDs listed (1) or not (0), landscape
// positions listed (1) or not (0). A missing SID joins the scratch list; a missing position
// takes the colour stored under its number, from the one load.
void BM_ExportAll(benchmark::State& state)
{
    const bool sidsListed = state.range(1) != 0;
    const bool positionsListed = state.range(2) != 0;
    QTemporaryDir dir;
    const QString config =
        writeConfig(dir, makeConfig(1000, int(state.range(0)), sidsListed, positionsListed));
    for (auto _ : state) {
        ConfigStore store(config);
        store.loadAll();
        for (const Profile& p : std::as_const(store.profiles()))
            exportProfile(store, p, dir.filePath(p.id + QStringLiteral(".jpg")));
    }
    state.SetLabel(QStringLiteral("SIDs %1, positions %2")
                       .arg(sidsListed ? QStringLiteral("listed") : QStringLiteral("unlisted"),
                            positionsListed ? QStringLiteral("listed") : QStringLiteral("unlisted"))
                       .toStdString());
}
BENCHMARK(BM_ExportAll)
    ->Args({1000, 1, 1})
    ->Args({1000, 0, 1})
    ->Args({4000, 1, 1})
    ->Args({4000, 1, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return runGuiBenchmarks(argc, argv);
}
