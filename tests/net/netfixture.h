#pragma once

// A local HTTP server reached through TAVELORN_SITE_URL and a private temporary folder
// (TMPDIR) that must be empty again after every download.

#include "localhttpserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

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

class NetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        ASSERT_TRUE(server.listen());
        tmpdirEnv.emplace("TMPDIR", QFile::encodeName(tmp.path()));
        siteEnv.emplace("TAVELORN_SITE_URL", server.baseUrl().toUtf8());
    }

    void TearDown() override
    {
        siteEnv.reset();
        tmpdirEnv.reset();
    }

    // Everything in the private temporary folder.
    QStringList leftovers() const
    {
        return QDir(tmp.path())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    }

    // The path the update information is asked under, for this test executable.
    static QByteArray updateInfoPath()
    {
        return "/files/" + QFileInfo(QCoreApplication::applicationFilePath()).baseName().toUtf8() +
               ".INF";
    }

    QTemporaryDir tmp;
    TLocalHttpServer server;
    std::optional<TScopedEnv> tmpdirEnv;
    std::optional<TScopedEnv> siteEnv;
};
