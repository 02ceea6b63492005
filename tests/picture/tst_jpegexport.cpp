#include "jpegexport.h"

#include "apperror.h"
#include "picture.h"

#include "imagegraphic.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include <sys/resource.h>
#include <unistd.h>

#include <jpeglib.h>
// jerror.h needs jpeglib.h first.
#include <jerror.h>

using namespace tavelorn;

namespace {

PictureModel samplePicture()
{
    PictureModel p;
    setSystemTitle(p, QStringLiteral("SAP ERP 6.0 EHP7"));
    setLandscapeType(p, QStringLiteral("QAS"), makeColor(0, 128, 0));
    setSid(p, QStringLiteral("QAS"));
    setUsage1(p, QStringLiteral("Quality assurance"));
    setInfo1(p, QStringLiteral("Refreshed weekly"));
    QImage bg(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            bg.setPixel(x, y, qRgb(x % 256, y, 90));
    setBackgroundPicture(p, imageGraphic(bg));
    setPictureCenter(p, true);
    setBorderWidth(p, 2);
    return p;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The markers of a JPEG stream up to the start of scan.
QList<int> markersBeforeScan(const QByteArray& jpeg)
{
    QList<int> markers;
    qsizetype i = 2;
    while (i + 4 <= jpeg.size() && uchar(jpeg[i]) == 0xFF) {
        const int marker = uchar(jpeg[i + 1]);
        markers.append(marker);
        if (marker == 0xDA)
            break;
        i += 2 + ((uchar(jpeg[i + 2]) << 8) | uchar(jpeg[i + 3]));
    }
    return markers;
}

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const AppError& e) {
        return e.message();
    }
    return QString();
}

} // namespace

TEST(PictureFileName, DefaultName)
{
    struct Case
    {
        const char* sid;
        QDate date;
        const char* name;
    };
    const Case cases[] = {
        {"DEV", {2017, 3, 5}, "DEV_2017_03_05.jpg"},
        {"QAS", {2016, 12, 1}, "QAS_2016_12_01.jpg"},
        {"QAS", {2027, 1, 9}, "QAS_2027_01_09.jpg"},
        {"P01", {987, 10, 20}, "P01_987_10_20.jpg"},
        // Place markers in the SID are text.
        {"Q%1", {2024, 1, 5}, "Q%1_2024_01_05.jpg"},
        {"%2%3%4", {2024, 1, 5}, "%2%3%4_2024_01_05.jpg"},
        {"%%", {2024, 1, 5}, "%%_2024_01_05.jpg"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(defaultPictureFileName(QString::fromUtf8(c.sid), fromQDate(c.date)),
                  QString::fromUtf8(c.name));
    // The time of day does not count.
    EXPECT_EQ(defaultPictureFileName(QStringLiteral("DEV"), fromQDate(QDate(2017, 3, 5)) + 0.99),
              QStringLiteral("DEV_2017_03_05.jpg"));
}

TEST(PictureFileName, ForcedJpgExtension)
{
    struct Case
    {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"/out/qas.jpeg", "/out/qas.jpg"},
        {"/out/qas", "/out/qas.jpg"},
        {"dev.png", "dev.jpg"},
        {"dev.final.png", "dev.final.jpg"},
        {"/pics.old/dev", "/pics.old/dev.jpg"},
        {"/out/QAS.JPG", "/out/QAS.jpg"},
        {"/out/dev.", "/out/dev.jpg"},
        {"./dev", "./dev.jpg"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(forceJpgExtension(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(JpegEncoder, BaselineJfifOfTheRenderedPixels)
{
    QImage rendered;
    renderPicture(samplePicture(), rendered);
    const QByteArray jpeg = encodeJpeg(rendered, 100);

    // SOI, then JFIF 1.01 with density unit 0 and 1:1, quantisation tables, baseline
    // frame, Huffman tables and the scan: no comment, no other application segment.
    ASSERT_GT(jpeg.size(), 20);
    EXPECT_EQ(uchar(jpeg[0]), 0xFF);
    EXPECT_EQ(uchar(jpeg[1]), 0xD8);
    EXPECT_EQ(jpeg.mid(6, 5), QByteArray("JFIF\0", 5));
    EXPECT_EQ(jpeg.mid(13, 5), QByteArray("\x00\x00\x01\x00\x01", 5));
    const QList<int> markers = markersBeforeScan(jpeg);
    EXPECT_EQ(markers.count(0xE0), 1);
    EXPECT_EQ(markers.count(0xFE), 0);
    EXPECT_EQ(markers.count(0xC0), 1); // baseline
    for (int m : markers)
        EXPECT_TRUE(m == 0xE0 || m == 0xDB || m == 0xC0 || m == 0xC4 || m == 0xDA) << m;
    EXPECT_EQ(jpeg.right(2), QByteArray("\xFF\xD9"));

    const QImage decoded = QImage::fromData(jpeg, "JPEG").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(decoded.size(), QSize(450, 600));
    double total = 0;
    int far = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 450; ++x) {
            const QRgb a = rendered.pixel(x, y);
            const QRgb b = decoded.pixel(x, y);
            // Luma: chroma is subsampled, so coloured edges differ by design.
            const int d = std::abs(qGray(a) - qGray(b));
            far += d > 32;
            total += d;
        }
    EXPECT_LT(total / (450 * 600), 2.0);
    EXPECT_EQ(far, 0);
    // With border width 2 the outer two rows and columns are black away from the corners.
    for (int i = 20; i < 430; i += 10)
        for (int k : {0, 1}) {
            EXPECT_LT(qGray(decoded.pixel(i, k)), 24);
            EXPECT_LT(qGray(decoded.pixel(i, 599 - k)), 24);
        }
}

TEST(JpegEncoder, SameModelSameBytesWhateverTheImageFormat)
{
    QImage a;
    renderPicture(samplePicture(), a);
    QImage b;
    renderPicture(samplePicture(), b);
    const QByteArray first = encodeJpeg(a, 100);
    EXPECT_EQ(first, encodeJpeg(b, 100));
    EXPECT_EQ(first, encodeJpeg(a.convertToFormat(QImage::Format_RGB888), 100));
    EXPECT_EQ(first, encodeJpeg(a.convertToFormat(QImage::Format_ARGB32), 100));
    EXPECT_EQ(first, encodeJpeg(a.convertToFormat(QImage::Format_RGBX8888), 100));
}

TEST(JpegEncoder, IdenticalToCjpegOfTheSamePixels)
{
    const QString cjpeg = QStandardPaths::findExecutable(QStringLiteral("cjpeg"));
    if (cjpeg.isEmpty())
        GTEST_SKIP() << "cjpeg (libjpeg-turbo-progs) is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage rendered;
    renderPicture(samplePicture(), rendered);
    const QImage rgb = rendered.convertToFormat(QImage::Format_RGB888);
    const QString ppm = dir.filePath(QStringLiteral("picture.ppm"));
    {
        QFile f(ppm);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("P6\n450 600\n255\n");
        for (int y = 0; y < 600; ++y)
            f.write(reinterpret_cast<const char*>(rgb.constScanLine(y)), 450 * 3);
    }
    QProcess proc;
    proc.start(cjpeg, {QStringLiteral("-quality"), QStringLiteral("100"),
                       QStringLiteral("-baseline"), ppm});
    ASSERT_TRUE(proc.waitForFinished(30000));
    ASSERT_EQ(proc.exitCode(), 0) << proc.readAllStandardError().toStdString();
    EXPECT_EQ(proc.readAllStandardOutput(), encodeJpeg(rendered, 100));
}

TEST(JpegEncoder, LibraryErrorsCarryTheMessageNumber)
{
    // Wider than the format allows: the library refuses it in jpeg_start_compress.
    const QImage tooWide(70000, 1, QImage::Format_RGB888);
    const QString message = errorOf([&] { encodeJpeg(tooWide, 100); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("Erreur JPEG #"))) << message.toStdString();
    EXPECT_GT(message.mid(13).toInt(), 0);
    EXPECT_TRUE(errorOf([] { encodeJpeg(QImage(), 100); }).startsWith("Erreur JPEG #"));
}

// Address space limits do not apply under AddressSanitizer, which reserves far more.
// g++ says so with __SANITIZE_ADDRESS__, clang through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

// Encodes noise that compresses badly under an address space limit a few megabytes above
// what the process holds, so that the output buffer cannot grow. Exits 0 when the
// encoder reported libjpeg's out-of-memory error and no exception is left unfinished.
[[noreturn]] void encodeWithoutRoomToGrow()
{
    QImage noise(2500, 2500, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < noise.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(noise.scanLine(y));
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            line[x] = seed;
        }
    }
    long pages = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld", &pages) != 1)
            pages = 0;
        std::fclose(f);
    }
    const rlim_t held = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE));
    const rlimit limit{held + (3u << 20), RLIM_INFINITY};
    if (pages == 0 || setrlimit(RLIMIT_AS, &limit) != 0)
        std::_Exit(2);
    QString message;
    try {
        encodeJpeg(noise);
    } catch (const AppError& e) {
        message = e.message();
    }
    const bool finished = !std::current_exception();
    std::fprintf(stderr, "message \"%s\", exception finished %d\n", qPrintable(message),
                 int(finished));
    std::_Exit(
        message == QStringLiteral("Erreur JPEG #%1").arg(JERR_OUT_OF_MEMORY) && finished ? 0 : 1);
}

TEST(JpegEncoderDeathTest, OutputBufferThatCannotGrowIsTheLibrarysOutOfMemoryError)
{
    if (kAddressSanitizer)
        GTEST_SKIP() << "address space limits do not work under AddressSanitizer";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(encodeWithoutRoomToGrow(), ::testing::ExitedWithCode(0), "exception finished 1");
}

TEST(PictureExport, WritesAndReplacesTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("QAS_2016_12_01.jpg"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(2'000'000, 'x')); // longer than the picture: must not remain
    }
    exportPictureToFile(samplePicture(), path);
    const QByteArray first = readAll(path);
    QImage rendered;
    renderPicture(samplePicture(), rendered);
    EXPECT_EQ(first, encodeJpeg(rendered, 100));
    exportPictureToFile(samplePicture(), path);
    EXPECT_EQ(readAll(path), first);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("QAS_2016_12_01.jpg")});
}

TEST(PictureExport, FileThatCannotBeCreated)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString notAFolder = dir.filePath(QStringLiteral("plain"));
    {
        QFile f(notAFolder);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QDir(dir.path()).mkdir(QStringLiteral("folder.jpg"));
    struct Case
    {
        QString path;
        int errnum;
    };
    const Case cases[] = {
        {dir.filePath(QStringLiteral("missing/dev.jpg")), ENOENT},
        {notAFolder + QStringLiteral("/dev.jpg"), ENOTDIR},
        {dir.filePath(QStringLiteral("folder.jpg")), EISDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const QString message = errorOf([&] { exportPictureToFile(samplePicture(), c.path); });
        EXPECT_EQ(message, QStringLiteral("Impossible de créer le fichier \"%1\". %2")
                               .arg(c.path, systemErrorText(c.errnum)));
    }
    // Nothing half-written is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("folder.jpg"), QStringLiteral("plain")}));
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("folder.jpg"))).isEmpty());
}

TEST(PictureExport, KeepsTheModeOfAReplacedFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("dev.jpg"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const auto perms = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QFile::setPermissions(path, perms);
    exportPictureToFile(samplePicture(), path);
    EXPECT_EQ(QFile::permissions(path) & (perms | QFile::ReadOther | QFile::WriteGroup), perms);
    EXPECT_FALSE(readAll(path).isEmpty());
}
