#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// Sets an environment variable for the life of the object, then restores it.
class TScopedEnv
{
public:
    TScopedEnv(const char* name, const QByteArray& value) : m_name(name)
    {
        if (qEnvironmentVariableIsSet(name))
            m_old = qgetenv(name);
        qputenv(name, value);
    }
    ~TScopedEnv()
    {
        if (m_old)
            qputenv(m_name, *m_old);
        else
            qunsetenv(m_name);
    }
    TScopedEnv(const TScopedEnv&) = delete;
    TScopedEnv& operator=(const TScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<QByteArray> m_old;
};
