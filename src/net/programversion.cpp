#include "programversion.h"

#include "apperror.h"
#include "fileversioninfo.h"

static std::function<TProgramVersion()>& testReader()
{
    static std::function<TProgramVersion()> reader;
    return reader;
}

void SetProgramVersionReaderForTesting(std::function<TProgramVersion()> reader)
{
    testReader() = std::move(reader);
}

TProgramVersion ProgramVersionNumbers()
{
    if (testReader())
        return testReader()();
    // The build embeds the version block in the executable; it is read from the running
    // file, whatever its name. No system call gives a code for its absence.
    const TFileVersionInfo info;
    if (!info.HaveInfo() || info.FixedFileInfo().dwSignature == 0)
        throw EAppError(OSErrorMessage(0));
    const TVersionNumber v = info.FileVersionNumber();
    return {v.V1, v.V2, v.V3, v.V4};
}

QString GetProgramVersion()
{
    const TProgramVersion v = ProgramVersionNumbers();
    return QString::number(v[0]) + u'.' + QString::number(v[1]) + u'.' + QString::number(v[2]) +
           u'.' + QString::number(v[3]);
}

QString ProgramOriginalFileName()
{
    return TFileVersionInfo().OriginalFileName();
}

QString OSErrorMessage(int code)
{
    if (code == 0)
        return QStringLiteral("Un appel à une fonction du système d'exploitation a échoué");
    return QStringLiteral("Erreur système.  Code : ") + QString::number(code) +
           QStringLiteral(".\r\n") + systemErrorText(code);
}
