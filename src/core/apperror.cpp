#include "apperror.h"

#include <QSet>

#include <cstdio>
#include <cstring>
#include <mutex>

namespace tavelorn {

namespace {

std::mutex g_reportMutex;
std::function<void(const QString&)> g_reporter;

} // namespace

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

QString writeErrorMessage(const QString& path, int cause)
{
    QString text = QStringLiteral("Impossible d'écrire dans ") + path;
    if (cause != 0)
        text += QStringLiteral(". ") + systemErrorText(cause);
    return text;
}

void reportUntrustedFile(const QString& path, const QString& why)
{
    static QSet<QString> told;
    std::function<void(const QString&)> reporter;
    {
        const std::lock_guard lock(g_reportMutex);
        if (told.contains(path))
            return;
        told.insert(path);
        reporter = g_reporter;
    }
    const QString message =
        QStringLiteral("Fichier ignoré, il n'est pas d'un rédacteur de confiance : ") + path +
        QStringLiteral(" (") + why + u')';
    if (reporter)
        reporter(message);
    else
        (void)std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

void setUntrustedFileReporter(std::function<void(const QString& message)> reporter)
{
    const std::lock_guard lock(g_reportMutex);
    g_reporter = std::move(reporter);
}

} // namespace tavelorn
