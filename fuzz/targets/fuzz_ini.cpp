// Feeds arbitrary bytes to the INI parser, the typed reads and writes, and the store's
// loads, and checks that what is written reads back.
#include "apperror.h"
#include "configstore.h"
#include "fuzzcheck.h"
#include "inifile.h"
#include "text.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace tavelorn;

namespace {

// Names the store uses, plus a few taken from the input itself.
QStringList namesFor(const QByteArray& bytes)
{
    QStringList names = {"SystemInfo", "SystemInfo_1", "NbItems", "Item_1", "SID",
                         "ID",         "LastRefresh",  "Color",   ""};
    const QList<QByteArray> lines = bytes.left(512).split('\n');
    for (qsizetype i = 0; i < lines.size() && i < 6; ++i) {
        const QString line = QString::fromLatin1(lines[i]);
        names << line.section(u'=', 0, 0).trimmed() << line.mid(1).section(u']', 0, 0);
    }
    return names;
}

QTemporaryDir* scratch()
{
    static QTemporaryDir dir;
    return &dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QLocale locale(QLocale::French, QLocale::France);
    IniFile ini = IniFile::fromBytes(bytes);
    ini.setLocale(locale);
    const QStringList names = namesFor(bytes);

    for (const QString& s : names) {
        ini.highestNumberedSection(s);
        ini.highestNumberedKey(s, QStringLiteral("Item_"));
        for (const QString& k : names) {
            const QString text = ini.readString(s, k, QStringLiteral("d"));
            CHECK(text.size() <= IniFile::kMaxValueLength);
            const qint32 expected = ini.valueExists(s, k) ? parseIniInteger(text).value_or(7) : 7;
            CHECK(ini.readInteger(s, k, 7) == expected);
            ini.readBool(s, k, true);
            ini.readDate(s, k, 0);
        }
    }
    parseIniInteger(QString::fromLatin1(bytes.left(64)));
    parseShortDate(QString::fromLatin1(bytes.left(32)), locale);

    // Writes read back at once and after a round trip through the file's bytes.
    const QString value = trimText(QString::fromUtf8(bytes.left(40)).simplified());
    // What reads back: the value up to its first NUL, trimmed.
    const QString stored = trimText(value.left(value.indexOf(QChar(0)))).left(2047);
    const QString section = names.value(10);
    const QString key = names.value(11);
    // Names end at their first NUL: the rest of them is not part of the name.
    const QString sectionName = section.left(section.indexOf(QChar(0)));
    const QString keyName = key.left(key.indexOf(QChar(0)));
    if (!sectionName.isEmpty() && !keyName.isEmpty() && trimText(keyName) == keyName &&
        !keyName.contains(u'=') && !keyName.contains(u'\r') && !keyName.contains(u'\n') &&
        !keyName.startsWith(u'[') && !keyName.startsWith(u';') &&
        trimText(sectionName) == sectionName && !sectionName.contains(u']') &&
        !sectionName.contains(u'\r') && !sectionName.contains(u'\n')) {
        ini.writeString(section, key, value);
        CHECK(ini.readString(section, key, {}) == stored);
    }
    ini.writeString(QStringLiteral("Fuzz"), QStringLiteral("Text"), value);
    ini.writeInteger(QStringLiteral("SystemInfo"), QStringLiteral("NbItems"), qint32(size));
    ini.writeDate(QStringLiteral("Fuzz"), QStringLiteral("Date"), 45296);
    CHECK(ini.readString(QStringLiteral("fuzz"), QStringLiteral("text"), {}) == stored);
    IniFile back = IniFile::fromBytes(ini.toBytes());
    back.setLocale(locale);
    CHECK(back.readString(QStringLiteral("Fuzz"), QStringLiteral("Text"), {}) == stored);
    CHECK(back.readInteger(QStringLiteral("SystemInfo"), QStringLiteral("NbItems"), -1) ==
          qint32(size));
    CHECK(back.readDate(QStringLiteral("Fuzz"), QStringLiteral("Date"), 0) == 45296);
    for (const QString& s : names)
        for (const QString& k : names)
            CHECK(back.readString(s, k, QStringLiteral("d")) ==
                  ini.readString(s, k, QStringLiteral("d")));

    // A run of writes chosen by the input's last bytes, checked against a plain model.
    {
        QHash<QString, QString> model;
        const QString sections[] = {"SystemTitle", "systeminfo_1", "Fuzz", "SID"};
        const qsizetype from = bytes.size() > 64 ? bytes.size() - 64 : 0;
        for (qsizetype i = from; i + 1 < bytes.size(); i += 2) {
            const uchar a = uchar(bytes[i]), b = uchar(bytes[i + 1]);
            const QString sec = sections[a & 3];
            QString key = QStringLiteral("Item_%1").arg((a >> 2) % 40);
            if (b & 1)
                key = key.toUpper();
            const QString v = QString::number(b >> 1);
            back.writeString(sec, key, v);
            model.insert(sec.toLower() + u'/' + key.toLower(), v);
        }
        const IniFile again = IniFile::fromBytes(back.toBytes());
        for (auto it = model.cbegin(); it != model.cend(); ++it) {
            const QString sec = it.key().section(u'/', 0, 0), key = it.key().section(u'/', 1);
            CHECK(back.readString(sec.toUpper(), key, {}) == it.value());
            CHECK(again.readString(sec, key.toUpper(), {}) == it.value());
        }
    }

    // The store's loads on the bytes as a configuration file: bounded whatever the counts.
    const QString path = scratch()->filePath(QStringLiteral("Config.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(bytes);
    }
    ConfigStore store(path);
    try {
        store.loadAll();
    } catch (const AppError&) {
    }
    CHECK(store.currentProfileIndex() == qint32(store.profiles().size()) - 1);
    CHECK(store.landscapeTypes().size() == store.landscapeTypeNames().count());
    CHECK(qsizetype(store.profileIds().count()) == store.profiles().size());
    return 0;
}
