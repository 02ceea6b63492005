#include "systemdescription.h"

#include <QByteArrayView>
#include <QFile>
#include <QSysInfo>

namespace tavelorn {

namespace {

// The distribution's name as os-release gives it, kept short and printable.
constexpr qsizetype kMaxSystemNameLength = 120;
constexpr qint64 kMaxOsReleaseSize = qint64{64} * 1024;

} // namespace

QString osReleasePrettyName(const QByteArray& content)
{
    // Lines are KEY=value, the value plain or in shell quotes; the last PRETTY_NAME wins.
    QByteArray raw;
    bool found = false;
    for (const QByteArray& line : content.split('\n')) {
        if (!line.startsWith("PRETTY_NAME="))
            continue;
        const QByteArray value = line.mid(int(sizeof("PRETTY_NAME=")) - 1);
        raw.clear();
        found = true;
        if (value.startsWith('"')) {
            for (qsizetype i = 1; i < value.size() && value[i] != '"'; ++i) {
                if (value[i] == '\\' && i + 1 < value.size() &&
                    QByteArrayView("\"\\`$").contains(value[i + 1]))
                    ++i;
                raw.append(value[i]);
            }
        } else if (value.startsWith('\'')) {
            const qsizetype end = value.indexOf('\'', 1);
            raw = value.mid(1, end < 0 ? -1 : end - 1);
        } else {
            raw = value.trimmed();
        }
    }
    if (!found)
        return {};
    // A value ends at its first NUL; control characters become blanks.
    if (const qsizetype nul = raw.indexOf('\0'); nul >= 0)
        raw.truncate(nul);
    QString name = QString::fromUtf8(raw);
    for (QChar& c : name)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0))
            c = u' ';
    name = name.simplified();
    if (name.size() > kMaxSystemNameLength) {
        name.truncate(kMaxSystemNameLength);
        if (name.back().isHighSurrogate())
            name.chop(1);
    }
    return name;
}

QString operatingSystemDescription(const QString& name, const QString& kernelRelease,
                                   const QString& cpuArchitecture)
{
    // "6.1.0-18-amd64": major, minor and build are the leading numbers.
    int numbers[3] = {0, 0, 0};
    qsizetype i = 0;
    for (int& number : numbers) {
        const qsizetype start = i;
        while (i < kernelRelease.size() && kernelRelease[i].isDigit())
            ++i;
        number = kernelRelease.mid(start, i - start).toInt(); // 0 when out of range
        if (i == start || i >= kernelRelease.size() || kernelRelease[i] != u'.')
            break;
        ++i;
    }
    const bool is64 = cpuArchitecture.contains(QStringLiteral("64")) ||
                      cpuArchitecture == u"s390x" || cpuArchitecture == u"sparcv9";
    return name + QStringLiteral(" (Version ") + QString::number(numbers[0]) + u'.' +
           QString::number(numbers[1]) + QStringLiteral(", Build ") + QString::number(numbers[2]) +
           QStringLiteral(", ") +
           (is64 ? QStringLiteral("Edition 64 bits") : QStringLiteral("Edition 32 bits")) + u')';
}

QString systemName()
{
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString name = osReleasePrettyName(file.read(kMaxOsReleaseSize));
        return name.isEmpty() ? QStringLiteral("Linux") : name;
    }
    return QStringLiteral("Linux");
}

QString operatingSystemDescription()
{
    return operatingSystemDescription(systemName(), QSysInfo::kernelVersion(),
                                      QSysInfo::currentCpuArchitecture());
}

} // namespace tavelorn
