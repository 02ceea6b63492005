// The usage hit: its site table, what it sends, DO_NOT_TRACK, and that it never waits
// for the server.
#include "netfixture.h"

#include "download.h"
#include "usageping.h"

#include <QElapsedTimer>
#include <QTest>

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
    const struct
    {
        const char* value;
        int hits;
    } cases[] = {{"1", 0}, {" 1 ", 0}, {"0", 1}, {"", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        server.clear();
        const TScopedEnv env("DO_NOT_TRACK", c.value);
        UsagePing ping;
        ping.sendUsageHit();
        ASSERT_TRUE(QTest::qWaitFor([&] { return ping.idle(); }, 10000));
        QTest::qWait(c.hits ? 0 : 200); // a request that slipped out would arrive by now
        EXPECT_EQ(server.requests().size(), c.hits);
        EXPECT_EQ(leftovers(), QStringList());
    }
}

TEST_F(UsagePingTest, ASilentServerNeverHoldsTheProgram)
{
    server.setSilent(true);
    QElapsedTimer timer;
    timer.start();
    {
        UsagePing ping;
        ping.sendUsageHit();
        // The request is out while the caller goes on.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !server.requests().isEmpty(); }, 10000));
        EXPECT_FALSE(ping.idle());
        // Leaving stops the hit at once instead of waiting for its time-out.
    }
    EXPECT_LT(timer.elapsed(), kDownloadTotalTimeoutMs);
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_EQ(leftovers(), QStringList());

    // Left alone, it ends by its time-out, silently and without a file.
    UsagePing ping;
    ping.sendUsageHit();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ping.idle(); }, kDownloadTotalTimeoutMs + 8000));
    EXPECT_EQ(leftovers(), QStringList());
}

} // namespace
