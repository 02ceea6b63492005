#include "programversion.h"
#include "nettesting.h"

#include "apperror.h"
#include "fileversioninfo.h"

namespace tavelorn {

static std::function<ProgramVersion()>& testReader()
{
    static std::function<ProgramVersion()> reader;
    return reader;
}

namespace TestHooks {

void setProgramVersionReader(std::function<ProgramVersion()> reader)
{
    testReader() = std::move(reader);
}

} // namespace TestHooks

ProgramVersion programVersionNumbers()
{
    if (testReader())
        return testReader()();
    // The build embeds the version block in the executable; it is read from the running
    // file, whatever its name. No system call gives a code for its absence.
    const FileVersionInfo info;
    if (!info.hasInfo() || info.fixedFileInfo().signature == 0)
        throw AppError(osErrorMessage(0));
    const VersionNumber v = info.fileVersionNumber();
    return {v.v1, v.v2, v.v3, v.v4};
}

QString programVersion()
{
    const ProgramVersion v = programVersionNumbers();
    return QString::number(v[0]) + u'.' + QString::number(v[1]) + u'.' + QString::number(v[2]) +
           u'.' + QString::number(v[3]);
}

QString programOriginalFileName()
{
    return FileVersionInfo().originalFileName();
}

QString osErrorMessage(int code)
{
    if (code == 0)
        return QStringLiteral("Un appel à une fonction du système d'exploitation a échoué");
    return QStringLiteral("Erreur système.  Code : ") + QString::number(code) +
           QStringLiteral(".\r\n") + systemErrorText(code);
}

} // namespace tavelorn
