// Main window figures: creating it on a configuration of 50 profiles (what the start-up
// costs beyond Qt itself), applying one profile (what a pick in the selector costs) and
// following another writer's change among 10,000 profiles.
#include "uMainNew.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace tavelorn;

namespace {

QString g_config;

void writeConfig(const QString& path, int profiles = 50)
{
    QByteArray ini = "[SystemTitle]\nNbItems=10\n";
    for (int i = 1; i <= 10; ++i)
        ini += QByteArray("Item_") + QByteArray::number(i) + "=SAP system title " +
               QByteArray::number(i) + "\n";
    ini += "[LandscapeType]\nNbItems=3\nItem_1=DEV\nItem_2=QAS\nItem_3=PRD\n"
           "[Color]\nNbItems=3\nItem_1=32768\nItem_2=33023\nItem_3=255\n[SID]\nNbItems=30\n";
    for (int i = 1; i <= 30; ++i)
        ini += QByteArray("Item_") + QByteArray::number(i) + "=S" + QByteArray::number(i) + "\n";
    ini += "[SystemInfo]\nNbItems=" + QByteArray::number(profiles) + "\n";
    for (int i = 1; i <= profiles; ++i) {
        const QByteArray n = QByteArray::number(i);
        ini += "[SystemInfo_" + n + "]\nID=profile " + n +
               "\nBorderWidth=2\nSystemTitle=SAP system title " + QByteArray::number(i % 10 + 1) +
               "\nLansdscapePosition=QAS\nSID=S" + QByteArray::number(i % 30 + 1) +
               "\nUsage1=Usage\nUsage2=Second line\nInfo1=Information\nLastRefresh=03/03/2024\n"
               "SourceRefresh=S1\n";
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        std::abort();
    f.write(ini);
}

void BM_CreateMainWindow(benchmark::State& state)
{
    for (auto _ : state) {
        TfrmMainNew w(QStringList{g_config});
        benchmark::DoNotOptimize(&w);
    }
}
BENCHMARK(BM_CreateMainWindow)->Unit(benchmark::kMillisecond);

void BM_ApplyProfile(benchmark::State& state)
{
    TfrmMainNew w(QStringList{g_config});
    auto* ids = w.findChild<QComboBox*>(QStringLiteral("cbxID"));
    int i = 0;
    for (auto _ : state) {
        ids->setCurrentIndex(i++ % ids->count());
        w.cbxIDChange();
    }
}
BENCHMARK(BM_ApplyProfile)->Unit(benchmark::kMicrosecond);

// Another writer changed one profile among n: the window reads the file and reloads the
// selector and the lists, keeping its selections.
void BM_FollowConfigFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Config.ini"));
    writeConfig(path, int(state.range(0)));
    TfrmMainNew w(QStringList{path});
    ConfigStore other(path);
    other.loadAll();
    Profile changed = other.profiles().first();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        changed.usage2 = QStringLiteral("Client %1").arg(++round);
        other.storeProfile(changed.id, changed);
        state.ResumeTiming();
        if (!w.followConfigFile())
            state.SkipWithError("no reload");
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_FollowConfigFile)->Arg(10000)->Unit(benchmark::kMillisecond);

// The window's own Save among n profiles, then the watcher's read that finds nothing new.
void BM_FollowOwnWrite(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Config.ini"));
    writeConfig(path, int(state.range(0)));
    TfrmMainNew w(QStringList{path});
    Profile changed = w.store().profiles().first();
    const Profile base = changed;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        changed.usage2 = QStringLiteral("Client %1").arg(++round);
        w.store().storeProfile(changed.id, changed, base);
        state.ResumeTiming();
        if (w.followConfigFile())
            state.SkipWithError("reloaded after its own write");
    }
}
BENCHMARK(BM_FollowOwnWrite)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QTemporaryDir dir;
    g_config = dir.filePath(QStringLiteral("Config.ini"));
    writeConfig(g_config);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
