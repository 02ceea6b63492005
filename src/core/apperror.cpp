#include "apperror.h"

#include <cstring>

namespace tavelorn {

AppError::AppError(QString message, int cause)
    : m_message(std::move(message)), m_utf8(m_message.toUtf8()), m_cause(cause)
{
}

QString errorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

QString stripSystemErrorText(const QString& text)
{
    qsizetype e = text.size();
    while (e > 0) {
        const char16_t c = text.at(e - 1).unicode();
        if (c == u'.' || c == u' ' || c == u'\t' || c == u'\r' || c == u'\n')
            --e;
        else
            break;
    }
    return text.left(e);
}

QString systemErrorText(int errnum)
{
    if (errnum == kErrNotRegularFile)
        return QStringLiteral("Ce n'est pas un fichier ordinaire");
    if (errnum == kErrRefusedLink)
        return QStringLiteral(
            "Lien refusé : un autre utilisateur l'a posé dans un dossier partagé");
    if (errnum == kErrNoJournalPlace)
        return QStringLiteral("Aucune place à côté du fichier pour le journal qui protège sa "
                              "réécriture");
    char buf[256];
    // GNU strerror_r may return a static string instead of filling buf.
    const char* s = strerror_r(errnum, buf, sizeof buf);
    return stripSystemErrorText(QString::fromLocal8Bit(s));
}

} // namespace tavelorn
