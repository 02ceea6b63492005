#include "programversion.h"

#include "apperror.h"
#include "netconfig.h"

static_assert(kProjectVersion[0] <= 0xFFFF && kProjectVersion[1] <= 0xFFFF &&
                  kProjectVersion[2] <= 0xFFFF && kProjectVersion[3] <= 0xFFFF,
              "each part of the project version must fit in 16 bits");

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
    // The build embeds CMake's project version; the version resource reader takes over
    // once the executable carries one.
    return {static_cast<quint16>(kProjectVersion[0]), static_cast<quint16>(kProjectVersion[1]),
            static_cast<quint16>(kProjectVersion[2]), static_cast<quint16>(kProjectVersion[3])};
}

QString GetProgramVersion()
{
    const TProgramVersion v = ProgramVersionNumbers();
    return QString::number(v[0]) + u'.' + QString::number(v[1]) + u'.' + QString::number(v[2]) +
           u'.' + QString::number(v[3]);
}

QString ProgramOriginalFileName()
{
    // The name our build records as the executable's original file name; read from the
    // executable's version information once it carries one.
    return QStringLiteral("Tavelorn.exe");
}

QString OSErrorMessage(int code)
{
    if (code == 0)
        return QStringLiteral("Un appel à une fonction du système d'exploitation a échoué");
    return QStringLiteral("Erreur système.  Code : ") + QString::number(code) +
           QStringLiteral(".\r\n") + systemErrorText(code);
}
