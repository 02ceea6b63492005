// The usage hit: its site table, what it sends, DO_NOT_TRACK, and that it never waits
// for the server.
#include "netfixture.h"

#include "download.h"
#include "nettesting.h"
#include "usageping.h"

#include <QElapsedTimer>
#include <QTest>

#include <optional>

using namespace tavelorn;

namespace {

const QByteArray TrackingPath = "/statistiques/piwik.php?idsite=12&rec=1";

TEST(UsagePing, SiteTableKnowsOnlyOurProgram)
{
    EXPECT_EQ(usageSiteNumber(QStringLiteral("TAVELORN.EXE")), 12);
    for (const char* other : {"Tavelorn.exe", "TAVELORN", "", "OTHER.EXE", "TAVELORN.EXE "})
        EXPECT_EQ(usageSiteNumber(QString::fromLatin1(other)), 0) << other;
}

class UsagePingTest : public NetTest
{
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        noTrackEnv.emplace("DO_NOT_TRACK", "");
        server.route(TrackingPath, QByteArray("GIF89a\x01\x00\x01\x00", 10));
    }
    void TearDown() override
    {
        noTrackEnv.reset();
        NetTest::TearDown();
    }
    std::optional<TScopedEnv> noTrackEnv;
};

TEST_F(UsagePingTest, EachCallSendsOneBareHitAndLeavesNoFile)
{
    UsagePing ping;
    for (int hits = 1; hits <= 2; ++hits) {
        ping.sendUsageHit();
        ASSERT_TRUE(QTest::qWaitFor([&] { return ping.idle(); }, 10000));
        ASSERT_EQ(server.requests().size(), hits);
        const auto& r = server.requests().back();
        EXPECT_EQ(r.method, "GET");
        EXPECT_EQ(r.target, TrackingPath);
        EXPECT_EQ(r.headers.keys(), (QList<QByteArray>{"accept", "host"}));
        EXPECT_EQ(leftovers(), QStringList());
    }
}

TEST_F(UsagePingTest, DoNotTrackSendsNothing)
{
    // Every case waits the same for a hit: the ones that send prove the wait long enough
    // for the ones that must not.
    const int waitMs = 2000;
    const struct
    {
        const char* value;
        int hits;
    } cases[] = {{"0", 1}, {"1", 0}, {" 1 ", 0}, {"", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        server.clear();
        const TScopedEnv env("DO_NOT_TRACK", c.value);
        UsagePing ping;
        ping.sendUsageHit();
        EXPECT_EQ(QTest::qWaitFor([&] { return !server.requests().isEmpty(); }, waitMs),
                  c.hits > 0);
        EXPECT_EQ(server.requests().size(), c.hits);
        ASSERT_TRUE(QTest::qWaitFor([&] { return ping.idle(); }, 10000));
        EXPECT_EQ(leftovers(), QStringList());
    }
}

TEST_F(UsagePingTest, ASilentServerNeverHoldsTheProgram)
{
    server.setSilent(true);
    {
        std::optional<UsagePing> ping(std::in_place);
        ping->sendUsageHit();
        // The request is out while the caller goes on.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !server.requests().isEmpty(); }, 10000));
        EXPECT_FALSE(ping->idle());
        // Leaving stops the hit at once instead of waiting for the rest of its time-out,
        // which began before the request reached the server.
        QElapsedTimer timer;
        timer.start();
        ping.reset();
        EXPECT_LT(timer.elapsed(), kDownloadTotalTimeoutMs / 2);
    }
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_EQ(leftovers(), QStringList());

    // Left alone, it ends by its time-out (a test's short one), silently and without a file.
    const TestHooks::ShortDownloadTimeouts shortBounds(300);
    UsagePing ping;
    ping.sendUsageHit();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ping.idle(); }, 300 + 8000));
    EXPECT_EQ(leftovers(), QStringList());
}

} // namespace
