// What a download relies on from libcurl, and how it ends: refused options and
// unsuitable libraries give no download, a cancelled job stops its download at once, and
// a name server that never answers costs no more than the download's bound.
#include "netfixture.h"
#include "silentnameserver.h"

#include "curlapi.h"
#include "download.h"
#include "nettesting.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <cstdarg>
#include <optional>

using namespace tavelorn;

namespace {

// The real library with one option refused, as an older or differently built one would.
struct TRefusingCurl
{
    static inline const CurlApi* real = nullptr;
    static inline CURLoption refused = CURLOPT_LASTENTRY;
    static inline int refusals = 0;

    static CURLcode setopt(CURL* easy, CURLoption option, ...)
    {
        if (option == refused) {
            ++refusals;
            return CURLE_UNKNOWN_OPTION;
        }
        va_list args;
        va_start(args, option);
        CURLcode result;
        if (option < CURLOPTTYPE_OBJECTPOINT)
            result = real->easySetopt(easy, option, va_arg(args, long));
        else if (option < CURLOPTTYPE_OFF_T)
            result = real->easySetopt(easy, option, va_arg(args, void*));
        else
            result = real->easySetopt(easy, option, va_arg(args, curl_off_t));
        va_end(args);
        return result;
    }
};

TEST_F(NetTest, ARefusedOptionMeansNoDownload)
{
    TRefusingCurl::real = curlApi();
    ASSERT_NE(TRefusingCurl::real, nullptr);
    CurlApi api = *TRefusingCurl::real;
    api.easySetopt = &TRefusingCurl::setopt;
    TestHooks::setCurlApi(&api);
    server.route("/data", QByteArray("payload"));
    const QString url = server.baseUrl() + QStringLiteral("/data");
    const struct
    {
        CURLoption option;
        bool downloads;
    } cases[] = {
        {CURLOPT_LASTENTRY, true}, // nothing refused
        {CURLOPT_PROTOCOLS_STR, false},  {CURLOPT_REDIR_PROTOCOLS_STR, false},
        {CURLOPT_SSL_VERIFYPEER, false}, {CURLOPT_SSL_VERIFYHOST, false},
        {CURLOPT_MAXREDIRS, false},      {CURLOPT_CONNECTTIMEOUT_MS, false},
        {CURLOPT_TIMEOUT_MS, false},     {CURLOPT_MAXFILESIZE_LARGE, false},
        {CURLOPT_QUICK_EXIT, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.option));
        server.clear();
        TRefusingCurl::refused = c.option;
        TRefusingCurl::refusals = 0;
        EXPECT_EQ(fetch(url).has_value(), c.downloads);
        EXPECT_EQ(server.requests().size(), c.downloads ? 1 : 0);
        EXPECT_EQ(TRefusingCurl::refusals, c.downloads ? 0 : 1);
    }
    TestHooks::setCurlApi(nullptr);
}

TEST(CurlLibrary, OnlyARecentLibraryWithALookupBesideTheTransferIsUsed)
{
    const struct
    {
        unsigned version;
        int features;
        bool suitable;
    } cases[] = {
        {0x075801, CURL_VERSION_ASYNCHDNS | CURL_VERSION_SSL, true}, // Debian 12
        {0x075700, CURL_VERSION_ASYNCHDNS, true},
        {0x080b00, CURL_VERSION_ASYNCHDNS, true},
        {0x075600, CURL_VERSION_ASYNCHDNS, false}, // no quick exit
        {0x075400, CURL_VERSION_ASYNCHDNS, false}, // protocol lists ignored
        {0x075801, CURL_VERSION_SSL, false},       // lookups block the transfer
    };
    for (const auto& c : cases) {
        curl_version_info_data info{};
        info.version_num = c.version;
        info.features = c.features;
        EXPECT_EQ(curlLibrarySuitable(&info), c.suitable) << std::hex << c.version;
    }
    EXPECT_FALSE(curlLibrarySuitable(nullptr));
    EXPECT_NE(curlApi(), nullptr) << "the installed libcurl is refused";
}

// Quitting or closing the window cancels the jobs still downloading: each ends at once,
// not at its time-out, and the thread that cancels handles events all the while.
TEST_F(NetTest, ACancelledJobStopsItsDownloadAtOnce)
{
    server.setSilent(true);
    const QString url = server.baseUrl() + QStringLiteral("/slow");
    for (const bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "destroyed" : "cancelled");
        server.clear();
        std::optional<Job<std::optional<QByteArray>>> job(std::in_place);
        job->start(networkJobPool(), [url](std::stop_token stop) { return download(url, stop); });
        ASSERT_TRUE(QTest::qWaitFor([&] { return !server.requests().isEmpty(); }, 10000))
            << "the request never reached the server";
        ASSERT_TRUE(job->isRunning());
        QElapsedTimer clock;
        clock.start();
        if (destroy) {
            job.reset(); // cancels and waits
        } else {
            job->cancel();
            ASSERT_TRUE(QTest::qWaitFor([&] { return !job->isRunning(); }, 10000));
            // A cancelled job gives no result.
            EXPECT_TRUE(job->future().isCanceled() || job->result() == std::nullopt);
        }
        EXPECT_LT(clock.elapsed(), 100);
    }
}

// Run by the silent name server script (tests/support/silent-dns.sh): inside a private
// mount namespace whose /etc/resolv.conf names only 127.0.0.1, where this test listens
// and never answers.
class SilentNameServerTest : public NetTest
{
protected:
    void SetUp() override
    {
        if (!SilentNameServer::available())
            GTEST_SKIP() << "run by silent-dns.sh only";
        NetTest::SetUp();
        dns.start();
    }
    SilentNameServer dns;
};

TEST_F(SilentNameServerTest, ALookupEndsWithinTheBoundAndACancelAtOnce)
{
    const QString url = QStringLiteral("https://updates.tavelorn-tools.test/files/x.INF");
    QElapsedTimer clock;
    clock.start();
    {
        const TestHooks::ShortDownloadTimeouts shortBounds(500);
        EXPECT_EQ(fetch(url), std::nullopt);
    }
    const qint64 bounded = clock.elapsed();
    EXPECT_GT(dns.queries(), 0) << "the name was never asked for";
    EXPECT_LT(bounded, 500 + 500);

    dns.resetCount();
    Job<std::optional<QByteArray>> job;
    job.start(networkJobPool(), [url](std::stop_token stop) { return download(url, stop); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return dns.queries() > 0; }, 10000))
        << "the name was never asked for";
    clock.restart();
    const qint64 cancelledAt = 0;
    job.cancel();
    job.wait();
    const qint64 returnedAt = clock.elapsed();
    EXPECT_LT(returnedAt - cancelledAt, 100);
    std::printf("lookup bounded after %lld ms; cancel took %lld ms\n",
                static_cast<long long>(bounded), static_cast<long long>(returnedAt - cancelledAt));
}

} // namespace
