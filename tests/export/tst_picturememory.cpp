// Peak memory of tavelorn-export over large pictures of every format: within the
// picture budget each exports under 600 MB; beyond it each is refused before decoding.

#include "bigpictures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <iomanip>
#include <iostream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr qint64 kPeakLimit = 600'000'000;

struct ExportRun
{
    int exitCode = -1;
    qint64 peakBytes = 0;
    QString err;
};

// Runs tavelorn-export on a profile showing picture, with its peak memory. A new
// process starts with the peak of the one that made it, so this one must stay small.
ExportRun exportPicture(const QTemporaryDir& dir, const QString& picture, bool stretch)
{
    const QString config = dir.filePath(QStringLiteral("Config.ini"));
    {
        QFile f(config);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[SystemInfo]\nNbItems=1\n[SystemInfo_1]\nID=Big\nSID=DEV\nPictureCenter=1\n"
                "PictureStretch=" +
                QByteArray(stretch ? "1" : "0") + "\nPictureFullPath=" + picture.toUtf8() + "\n");
    }
    const QByteArray errPath = QFile::encodeName(dir.filePath(QStringLiteral("stderr.txt")));
    const QByteArray out = QFile::encodeName(dir.filePath(QStringLiteral("out.jpg")));
    const QByteArray cfg = QFile::encodeName(config);
    const char* argv[] = {TAVELORN_EXPORT, "--config", cfg.constData(), "--profile",
                          "Big",           "--output", out.constData(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    ExportRun run;
    if (posix_spawn(&pid, TAVELORN_EXPORT, &actions, nullptr, const_cast<char**>(argv), environ) ==
        0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid) {
            run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            run.peakBytes = qint64(usage.ru_maxrss) * 1024;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    QFile err(QString::fromLocal8Bit(errPath));
    if (err.open(QIODevice::ReadOnly))
        run.err = QString::fromUtf8(err.readAll());
    QFile::remove(QString::fromLocal8Bit(out));
    return run;
}

QString tooLarge(int width, int height)
{
    return QString::fromUtf8("Image trop grande (%1 × %2 pixels)")
        .arg(QString::number(width), QString::number(height));
}

// An EMF that records a frame of width × height pixels and draws nothing.
bool writeEmf(const QString& path, int width, int height)
{
    QByteArray h;
    put32(h, 1);
    put32(h, 88);
    for (const int v : {0, 0, width - 1, height - 1})
        put32(h, quint32(v));
    for (const qint64 v :
         {qint64(0), qint64(0), qint64(width) * 2540 / 96, qint64(height) * 2540 / 96})
        put32(h, quint32(v));
    put32(h, 0x464D4520);
    put32(h, 0x10000);
    put32(h, 108); // nBytes
    put32(h, 2);   // nRecords
    put16(h, 1);
    put16(h, 0);
    for (const int v : {0, 0, 0, 1920, 1080, 508, 286})
        put32(h, quint32(v));
    put32(h, 14); // EMR_EOF
    put32(h, 20);
    put32(h, 0);
    put32(h, 16);
    put32(h, 20);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(h) == h.size();
}

// A small progressive CMYK JPEG whose header then claims width × height.
bool writeForgedJpeg(const QString& path, int width, int height)
{
    if (!writeJpeg(path, {64, 64, true, true, false}))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    QByteArray data = f.readAll();
    for (qsizetype i = 2; i + 8 < data.size(); ++i)
        if (uchar(data[i]) == 0xFF && uchar(data[i + 1]) == 0xC2) {
            data[i + 5] = char(height >> 8);
            data[i + 6] = char(height & 0xFF);
            data[i + 7] = char(width >> 8);
            data[i + 8] = char(width & 0xFF);
            break;
        }
    f.seek(0);
    return f.write(data) == data.size();
}

// Runs write in a child process, so that the memory it takes never counts in our peak.
bool writeInChild(const std::function<bool()>& write)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(write() ? 0 : 1);
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// Content that compresses well, so that the files stay small.
TiffSpec smooth(TiffSpec spec)
{
    spec.detail = false;
    return spec;
}

struct Case
{
    const char* name;
    const char* file;
    std::function<bool(const QString&)> write;
    bool stretch;
    QString refusal; // empty: exported
};

TEST(PictureMemory, EveryFormatExportsWithinTheLimitOrIsRefusedBeforeDecoding)
{
    const Case cases[] = {
        {"JPEG 50 MP photograph, stretched",
         "photo.jpg",
         [](const QString& p) {
             return writeJpeg(p, {8688, 5792});
         },
         true,
         {}},
        {"JPEG 50 MP photograph, natural size",
         "photo.jpg",
         [](const QString& p) {
             return writeJpeg(p, {8688, 5792});
         },
         false,
         {}},
        {"JPEG 64 MP progressive 4:4:4, natural size",
         "prog.jpg",
         [](const QString& p) {
             return writeJpeg(p, {8000, 8000, true, false, false});
         },
         false,
         {}},
        {"JPEG 64 MP progressive 4:4:4, stretched",
         "prog.jpg",
         [](const QString& p) {
             return writeJpeg(p, {8000, 8000, true, false, false});
         },
         true,
         {}},
        {"JPEG 48 MP progressive CMYK",
         "cmyk.jpg",
         [](const QString& p) {
             return writeJpeg(p, {8000, 6000, true, true, false});
         },
         true,
         {}},
        {"JPEG 64 MP progressive CMYK", "cmyk.jpg",
         [](const QString& p) {
             return writeJpeg(p, {8000, 8000, true, true, false});
         },
         true, tooLarge(8000, 8000)},
        {"JPEG of 6 kB claiming 8192 x 8192", "forged.jpg",
         [](const QString& p) { return writeForgedJpeg(p, 8192, 8192); }, true,
         tooLarge(8192, 8192)},
        {"BMP 64 MP, 24 bits",
         "rgb.bmp",
         [](const QString& p) { return writeBmp(p, 8000, 8000, 24); },
         false,
         {}},
        {"BMP 64 MP, 32 bits with alpha",
         "argb.bmp",
         [](const QString& p) { return writeBmp(p, 8000, 8000, 32); },
         true,
         {}},
        {"BMP 64 MP, run-length encoded",
         "rle.bmp",
         [](const QString& p) { return writeBmp(p, 8000, 8000, 8); },
         true,
         {}},
        {"BMP beyond the budget", "big.bmp",
         [](const QString& p) { return writeBmp(p, 8001, 8000, 8); }, true, tooLarge(8001, 8000)},
        {"TIFF 64 MP, 8 bits",
         "rgb.tif",
         [](const QString& p) {
             return writeTiff(p, smooth({8000, 8000}));
         },
         true,
         {}},
        {"TIFF 64 MP, 16 bits with alpha",
         "rgba16.tif",
         [](const QString& p) {
             return writeTiff(p, smooth({8000, 8000, 16, true}));
         },
         true,
         {}},
        {"TIFF 64 MP, 16 bits in one strip",
         "strip16.tif",
         [](const QString& p) {
             return writeTiff(p, smooth({8000, 8000, 16, false, true}));
         },
         false,
         {}},
        {"TIFF 64 MP, 16-bit grey in one strip",
         "grey16.tif",
         [](const QString& p) {
             return writeTiff(p, smooth({8000, 8000, 16, false, true, true}));
         },
         true,
         {}},
        {"TIFF 64 MP, 16-bit planes in one strip each", "planes16.tif",
         [](const QString& p) {
             return writeTiff(p, smooth({8000, 8000, 16, false, true, false, true}));
         },
         true, tooLarge(8000, 8000)},
        {"TIFF beyond the budget", "big.tif",
         [](const QString& p) {
             return writeTiff(p, smooth({8001, 8000}));
         },
         true, tooLarge(8001, 8000)},
        {"GIF 64 MP",
         "big.gif",
         [](const QString& p) { return writeGif(p, 8000, 8000); },
         true,
         {}},
        {"GIF beyond the budget", "huge.gif",
         [](const QString& p) { return writeGif(p, 8001, 8000); }, true, tooLarge(8001, 8000)},
        {"ICO of a 64 MP PNG",
         "big.ico",
         [](const QString& p) { return writePngIcon(p, 8000, 8000); },
         true,
         {}},
        {"WMF with a 16 MP bitmap",
         "photo.wmf",
         [](const QString& p) { return writeWmfWithBitmap(p, 4000, 4000, false); },
         true,
         {}},
        {"WMF with bitmaps beyond their share", "big.wmf",
         [](const QString& p) { return writeWmfWithBitmap(p, 8000, 8000, true); }, true,
         tooLarge(8000, 8000)},
        {"EMF beyond the budget", "big.emf",
         [](const QString& p) { return writeEmf(p, 8001, 8000); }, true, tooLarge(8001, 8000)},
    };
    std::cout << std::left;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString picture = dir.filePath(QString::fromLatin1(c.file));
        ASSERT_TRUE(writeInChild([&] { return c.write(picture); }));
        const ExportRun run = exportPicture(dir, picture, c.stretch);
        std::cout << "  " << std::setw(48) << c.name << std::setw(12) << QFileInfo(picture).size()
                  << " bytes, peak " << std::setw(5) << run.peakBytes / 1'000'000 << " MB, exit "
                  << run.exitCode << '\n';
        if (c.refusal.isEmpty()) {
            EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        } else {
            EXPECT_EQ(run.exitCode, 4);
            EXPECT_TRUE(run.err.contains(c.refusal)) << run.err.toStdString();
        }
        EXPECT_LT(run.peakBytes, kPeakLimit);
    }
}

// --- metafile record bombs -------------------------------------------------------------

// Metafiles up to the file size cap made of small records: the work of their conversion
// is bounded, so each is refused quickly and within the memory limit; a modest one still
// exports.
TEST(PictureMemory, MetafileRecordBombsAreRefusedWithinTheLimit)
{
    constexpr qint64 fileCap = qint64(256) * 1024 * 1024 - 4096;
    const struct
    {
        const char* name;
        const char* file;
        MetafileRecords kind;
        qint64 count;
        bool refused;
    } cases[] = {
        {"EMF of 2,000 line records", "lines.emf", MetafileRecords::EmfLines, 2000, false},
        {"EMF of 256 MB of line records", "lines.emf", MetafileRecords::EmfLines, fileCap / 16,
         true},
        {"EMF of 256 MB of ellipse records", "ellipses.emf", MetafileRecords::EmfEllipses,
         fileCap / 24, true},
        {"EMF of 256 MB of SaveDC records", "states.emf", MetafileRecords::EmfSaveDc, fileCap / 8,
         true},
        {"EMF of one 256 MB comment", "comment.emf", MetafileRecords::EmfComments, fileCap, true},
        {"WMF of 256 MB of line records", "lines.wmf", MetafileRecords::WmfLines, fileCap / 10,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString picture = dir.filePath(QString::fromLatin1(c.file));
        ASSERT_TRUE(writeInChild([&] { return writeMetafileRecords(picture, c.kind, c.count); }));
        QElapsedTimer clock;
        clock.start();
        const ExportRun run = exportPicture(dir, picture, true);
        std::cout << "  " << std::left << std::setw(48) << c.name << std::setw(12)
                  << QFileInfo(picture).size() << " bytes, peak " << std::setw(5)
                  << run.peakBytes / 1'000'000 << " MB, " << clock.elapsed() << " ms, exit "
                  << run.exitCode << '\n';
        if (c.refused) {
            EXPECT_EQ(run.exitCode, 4);
            EXPECT_TRUE(run.err.contains(QStringLiteral("MetaFichier incorrect")))
                << run.err.toStdString();
        } else {
            EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        }
        EXPECT_LT(run.peakBytes, kPeakLimit);
    }
}

} // namespace
