#pragma once

#include <QByteArray>
#include <QString>

#include <exception>
#include <functional>

namespace tavelorn {

// The one error type the user gets to see: its message is shown in the error box.
class AppError : public std::exception
{
public:
    explicit AppError(QString message, int cause = 0);
    // The errno value (or kErr… value below) behind the error; 0 when there is none.
    int cause() const noexcept { return m_cause; }
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
    int m_cause = 0;
};

// The text of the error box: the message with a full stop appended when its last
// character's code is above that of ".".
QString errorBoxText(const QString& message);

// A system error description without its trailing full stops, blanks and line breaks.
QString stripSystemErrorText(const QString& text);

// A cause of failure beside the errno values: the path names a device, pipe or socket,
// which is neither read nor written as a file.
inline constexpr int kErrNotRegularFile = -1;
// A symbolic link in a folder that other users may write, planted by someone who is
// neither the user nor the folder's owner.
inline constexpr int kErrRefusedLink = -2;
// An in-place rewrite that others could see torn, with no place beside the file for its
// rollback journal.
inline constexpr int kErrNoJournalPlace = -3;

// The description of an errno value (or of kErrNotRegularFile), stripped as above.
QString systemErrorText(int errnum);

// "Impossible d'écrire dans <path>", followed by the cause when there is one.
QString writeErrorMessage(const QString& path, int cause);

// A file found where a journal or lock file belongs that no writer of the file made: it
// is ignored, and said once per path and process through the reporter (standard error
// unless one is set).
void reportUntrustedFile(const QString& path, const QString& why);
void setUntrustedFileReporter(std::function<void(const QString& message)> reporter);

} // namespace tavelorn
