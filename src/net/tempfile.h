#pragma once

#include <QString>

namespace tavelorn {

// Temporary files in the user's temporary folder: TMPDIR when set, else /tmp.
//
// Every file is created exclusively under a random name, readable and writable by its
// owner only, so that no other user can plant a file or a link under a name we are about
// to use.

// Creates a new empty file named six random characters followed by extension (with its
// leading ".") and returns its full path, the file kept for the caller to fill and delete;
// empty when no file could be created.
QString createTempFile(const QString& extension);

// Deletes a file that createTempFile made; an empty name is ignored.
void deleteTempFile(const QString& fileName);

// Deletes the temporary file it holds when it goes out of scope, on every path.
class TempFile
{
public:
    explicit TempFile(const QString& extension) : m_name(createTempFile(extension)) {}
    ~TempFile() { deleteTempFile(m_name); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const QString& name() const { return m_name; }
    bool isValid() const { return !m_name.isEmpty(); }

private:
    QString m_name;
};

} // namespace tavelorn
