// Feeds arbitrary bytes to the version resource reader: as a file (PE or ELF, through the
// component as the program uses it, and through a buffer) and as a bare version block.
#include "fileversioninfo.h"
#include "fuzzcheck.h"
#include "versionnames.h"
#include "versionresource.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace tavelorn;

namespace {

const char* const kNames[] = {
    "Comments",       "CompanyName",      "FileDescription", "FileVersion",    "InternalName",
    "LegalCopyright", "OriginalFileName", "ProductName",     "ProductVersion", ""};

void queryBlock(const QByteArray& block)
{
    if (const auto fixed = versionresource::fixedFileInfo(block))
        CHECK(fixed->size() == 52);
    const QByteArray table = versionresource::translations(block).value_or(QByteArray());
    CHECK(table.size() <= block.size());
    for (qsizetype at = 0; at + 4 <= table.size() && at < 64; at += 4) {
        const auto* p = reinterpret_cast<const unsigned char*>(table.constData() + at);
        const QString key = QString::number(p[1] << 8 | p[0], 16).rightJustified(4, u'0') +
                            QString::number(p[3] << 8 | p[2], 16).rightJustified(4, u'0');
        for (const char* name : kNames) {
            if (const auto text =
                    versionresource::stringValue(block, key, QString::fromLatin1(name)))
                CHECK(text->size() * 2 <= block.size());
        }
    }
}

QString scratchFile()
{
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("input"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // The language the component takes, so that both read the same resource.
    const QByteArray block = versionresource::readFromDevice(buffer, userDefaultLanguageId());
    CHECK(block.size() <= versionresource::kMaxBlockSize);
    queryBlock(block);
    queryBlock(bytes);

    // The component over the same bytes as a file: every property, every translation.
    QFile file(scratchFile());
    CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    CHECK(file.write(bytes) == bytes.size());
    file.close();
    FileVersionInfo info(scratchFile());
    CHECK(info.hasInfo() == !block.isEmpty());
    CHECK(info.translationCount() >= 0 && info.translationCount() <= block.size() / 4);
    for (qint32 t = -1; t <= info.translationCount() && t < 16; ++t) {
        info.setCurrentTranslation(t);
        CHECK(info.currentTranslation() == (t < info.translationCount() ? t : -1));
        info.language();
        info.charSet();
        for (const char* name : kNames)
            info.stringFileInfo(QString::fromLatin1(name));
    }
    info.fileVersionNumber().toString();
    return 0;
}
