// Rendering the full picture, and the JPEG encoder against a bare libjpeg encode of
// the same buffer.

#include "graphic.h"
#include "guimain.h"
#include "jpegexport.h"
#include "picture.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

using namespace tavelorn;

namespace {

QImage gradient(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 7) & 0xFF, (y * 3) & 0xFF, (x + y) & 0xFF));
    return image;
}

PictureModel fullPicture(const GraphicPtr& background)
{
    PictureModel p;
    setSystemTitle(p, QStringLiteral("SAP ERP 6.0 EHP7"));
    setLandscapeType(p, QStringLiteral("QAS"), makeColor(0, 128, 0));
    setSid(p, QStringLiteral("QAS"));
    setUsage1(p, QStringLiteral("Quality assurance & tests"));
    setUsage2(p, QStringLiteral("Client 100\tClient 200"));
    setInfo1(p, QStringLiteral("No transports without approval"));
    setInfo2(p, QStringLiteral("Refreshed every Sunday"));
    setInfo3(p, QStringLiteral("Contact: basis team"));
    showRefreshLine(p, true, fromQDate(QDate(2016, 12, 1)), QStringLiteral("PRD"));
    setRefreshLine(p, fromQDate(QDate(2016, 12, 1)), QStringLiteral("PRD"),
                   QStringLiteral("After upgrade"));
    setBorderWidth(p, 3);
    setBackgroundPicture(p, background);
    setPictureCenter(p, true);
    return p;
}

void BM_RenderFullPicture(benchmark::State& state)
{
    // A 1000 x 800 JPEG background, loaded as the program loads it.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("background.jpg"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write the background");
            return;
        }
        f.write(encodeJpeg(gradient(1000, 800), 90));
    }
    const PictureModel picture = fullPicture(loadPictureFromFile(path));
    QImage target;
    renderPicture(picture, target); // the first drawing decodes the JPEG
    for (auto _ : state) {
        renderPicture(picture, target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_RenderFullPicture)->Unit(benchmark::kMillisecond);

QImage renderedRgb888()
{
    QImage image;
    renderPicture(fullPicture(nullptr), image);
    return image.convertToFormat(QImage::Format_RGB888);
}

void BM_BareLibjpegEncode(benchmark::State& state)
{
    const QImage image = renderedRgb888();
    for (auto _ : state) {
        jpeg_compress_struct cinfo;
        jpeg_error_mgr jerr;
        cinfo.err = jpeg_std_error(&jerr);
        jpeg_create_compress(&cinfo);
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&cinfo, &buffer, &size);
        cinfo.image_width = 450;
        cinfo.image_height = 600;
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, 100, TRUE);
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height) {
            JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(int(cinfo.next_scanline)));
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);
        benchmark::DoNotOptimize(size);
        std::free(buffer);
    }
}
BENCHMARK(BM_BareLibjpegEncode)->Unit(benchmark::kMillisecond);

void BM_EncodeJpeg(benchmark::State& state)
{
    const QImage image = renderedRgb888();
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeJpeg(image, 100));
}
BENCHMARK(BM_EncodeJpeg)->Unit(benchmark::kMillisecond);

// The rendered image as it comes, 32 bits a pixel.
void BM_EncodeJpegRgb32(benchmark::State& state)
{
    QImage image;
    renderPicture(fullPicture(nullptr), image);
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeJpeg(image, 100));
}
BENCHMARK(BM_EncodeJpegRgb32)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runGuiBenchmarks(argc, argv);
}
