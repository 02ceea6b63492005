#pragma once

#include <QString>

// Temporary files in the user's temporary folder: TMPDIR when set, else /tmp.
//
// Every file is created exclusively under a random name, readable and writable by its
// owner only, so that no other user can plant a file or a link under a name we are about
// to use.

// Creates a new empty file named prefix, six random characters and ".tmp", and returns
// its full path; empty when no file could be created. Unless keep is true, the file is
// deleted again and only its name is returned.
QString NewTempFileName(const QString& prefix, bool keep);

// Creates a new empty file named six random characters followed by extension (with its
// leading ".") and returns its full path, the file kept for the caller to fill and delete;
// empty when no file could be created.
QString NewTempFileNameExt(const QString& extension);

// Deletes a file that NewTempFileName or NewTempFileNameExt made; an empty name is ignored.
void DeleteTempFile(const QString& fileName);

// Deletes the temporary file it holds when it goes out of scope, on every path.
class TTempFile
{
public:
    explicit TTempFile(const QString& extension) : m_name(NewTempFileNameExt(extension)) {}
    ~TTempFile() { DeleteTempFile(m_name); }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    const QString& name() const { return m_name; }
    bool isValid() const { return !m_name.isEmpty(); }

private:
    QString m_name;
};
