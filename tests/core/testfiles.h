#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <ostream>

#include <unistd.h>

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write fixture %s", qPrintable(path));
    f.write(bytes);
}

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// File permissions stop no write of root's.
inline bool runningAsRoot()
{
    return geteuid() == 0;
}

// UTF-16LE with BOM, as the Windows profile functions write a Unicode file.
inline QByteArray utf16le(const QString& text)
{
    QByteArray out("\xFF\xFE", 2);
    for (QChar c : text) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
    }
    return out;
}

// Readable failure messages for texts.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

// Sets an environment variable, or unsets it for a null value, for one scope.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        set(value);
    }
    ~ScopedEnv() { set(m_had ? m_old.constData() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void set(const char* value) const
    {
        if (value)
            qputenv(m_name, value);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};
