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
    TIniFile ini = TIniFile::fromBytes(bytes);
    ini.setLocale(locale);
    const QStringList names = namesFor(bytes);

    for (const QString& s : names) {
        ini.HighestNumberedSection(s);
        ini.HighestNumberedKey(s, QStringLiteral("Item_"));
        for (const QString& k : names) {
            const QString text = ini.ReadString(s, k, QStringLiteral("d"));
            CHECK(text.size() <= TIniFile::MaxValueLength);
            const qint32 expected = ini.ValueExists(s, k) ? parseIniInteger(text).value_or(7) : 7;
            CHECK(ini.ReadInteger(s, k, 7) == expected);
            ini.ReadBool(s, k, true);
            ini.ReadDate(s, k, 0);
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
        ini.WriteString(section, key, value);
        CHECK(ini.ReadString(section, key, {}) == stored);
    }
    ini.WriteString(QStringLiteral("Fuzz"), QStringLiteral("Text"), value);
    ini.WriteInteger(QStringLiteral("SystemInfo"), QStringLiteral("NbItems"), qint32(size));
    ini.WriteDate(QStringLiteral("Fuzz"), QStringLiteral("Date"), 45296);
    CHECK(ini.ReadString(QStringLiteral("fuzz"), QStringLiteral("text"), {}) == stored);
    TIniFile back = TIniFile::fromBytes(ini.toBytes());
    back.setLocale(locale);
    CHECK(back.ReadString(QStringLiteral("Fuzz"), QStringLiteral("Text"), {}) == stored);
    CHECK(back.ReadInteger(QStringLiteral("SystemInfo"), QStringLiteral("NbItems"), -1) ==
          qint32(size));
    CHECK(back.ReadDate(QStringLiteral("Fuzz"), QStringLiteral("Date"), 0) == 45296);
    for (const QString& s : names)
        for (const QString& k : names)
            CHECK(back.ReadString(s, k, QStringLiteral("d")) ==
                  ini.ReadString(s, k, QStringLiteral("d")));

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
            back.WriteString(sec, key, v);
            model.insert(sec.toLower() + u'/' + key.toLower(), v);
        }
        const TIniFile again = TIniFile::fromBytes(back.toBytes());
        for (auto it = model.cbegin(); it != model.cend(); ++it) {
            const QString sec = it.key().section(u'/', 0, 0), key = it.key().section(u'/', 1);
            CHECK(back.ReadString(sec.toUpper(), key, {}) == it.value());
            CHECK(again.ReadString(sec, key.toUpper(), {}) == it.value());
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
    TConfigStore store(path);
    try {
        store.LoadAll();
    } catch (const EAppError&) {
    }
    CHECK(store.FSystemInfoIdx == qint32(store.FArrSystemInfo.size()) - 1);
    CHECK(store.FArrLandscapeType.size() == store.cbxLandscapeType.Count());
    CHECK(qsizetype(store.cbxID.Count()) == store.FArrSystemInfo.size());
    return 0;
}
