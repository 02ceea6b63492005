#pragma once

// A local HTTP server reached through TAVELORN_SITE_URL and a private temporary folder
// (TMPDIR) that must be empty again after every download.

#include "localhttpserver.h"
#include "scopedenv.h"

#include "download.h"
#include "job.h"
#include "updateinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

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

    // Runs work as a Job on the network pool while this thread serves the local server;
    // its result.
    template <typename Work> static auto runJob(Work work)
    {
        using Result = decltype(work(std::stop_token()));
        tavelorn::Job<Result> job;
        job.start(tavelorn::networkJobPool(), std::move(work));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !job.isRunning(); }, 30000));
        return job.result();
    }

    static std::optional<QByteArray> fetch(const QString& url)
    {
        return runJob([url](std::stop_token stop) { return tavelorn::download(url, stop); });
    }

    // This program's update information, downloaded once.
    static tavelorn::UpdateInfoFile fetchUpdateInfo() { return fetch(tavelorn::updateInfoUrl()); }

    QTemporaryDir tmp;
    TLocalHttpServer server;
    std::optional<TScopedEnv> tmpdirEnv;
    std::optional<TScopedEnv> siteEnv;
};
