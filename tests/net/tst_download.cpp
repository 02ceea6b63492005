// What downloadToFile relies on from libcurl, and how it ends: refused options and
// unsuitable libraries give no download, quitting the application stops one at once, and
// a name server that never answers costs no more than the download's bound.
#include "netfixture.h"
#include "silentnameserver.h"

#include "curlapi.h"
#include "nettesting.h"
#include "download.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>

#include <cstdarg>

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
            result = real->easy_setopt(easy, option, va_arg(args, long));
        else if (option < CURLOPTTYPE_OFF_T)
            result = real->easy_setopt(easy, option, va_arg(args, void*));
        else
            result = real->easy_setopt(easy, option, va_arg(args, curl_off_t));
        va_end(args);
        return result;
    }
};

TEST_F(NetTest, ARefusedOptionMeansNoDownload)
{
    TRefusingCurl::real = curlApi();
    ASSERT_NE(TRefusingCurl::real, nullptr);
    CurlApi api = *TRefusingCurl::real;
    api.easy_setopt = &TRefusingCurl::setopt;
    TestHooks::setCurlApi(&api);
    server.route("/data", QByteArray("payload"));
    const QString url = server.baseUrl() + QStringLiteral("/data");
    const QString target = tmp.filePath(QStringLiteral("data.tmp"));
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
        EXPECT_EQ(downloadToFile(url, target), c.downloads);
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

// A window manager's close reaches the application while a download holds the main
// thread in its wait: the application quits, the wait ends at once, and events are
// handled all the while.
TEST_F(NetTest, QuittingStopsADownloadOnTheMainThreadAtOnce)
{
    server.setSilent(true);
    const QString url = server.baseUrl() + QStringLiteral("/slow");
    const QString target = tmp.filePath(QStringLiteral("slow.tmp"));
    QElapsedTimer clock;
    qint64 quitAt = -1;
    qint64 returnedAt = -1;
    bool ok = true;
    QTimer quitOnRequest;
    quitOnRequest.setInterval(5);
    QObject::connect(&quitOnRequest, &QTimer::timeout, [&] {
        if (quitAt < 0 && !server.requests().isEmpty()) {
            quitAt = clock.elapsed();
            QCoreApplication::quit();
        }
    });
    QTimer::singleShot(0, [&] {
        clock.start();
        quitOnRequest.start();
        ok = downloadToFile(url, target);
        returnedAt = clock.elapsed();
    });
    // A watchdog: the test fails instead of hanging.
    QTimer::singleShot(20000, [] { QCoreApplication::exit(1); });
    QCoreApplication::exec();
    ASSERT_GE(quitAt, 0) << "the request never reached the server";
    ASSERT_GE(returnedAt, 0);
    EXPECT_FALSE(ok);
    EXPECT_LT(returnedAt - quitAt, 500);
    EXPECT_LT(returnedAt, kDownloadTotalTimeoutMs);
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
    const QString target = tmp.filePath(QStringLiteral("x.tmp"));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(downloadToFile(url, target));
    const qint64 bounded = clock.elapsed();
    EXPECT_GT(dns.queries(), 0) << "the name was never asked for";
    EXPECT_LT(bounded, kDownloadTotalTimeoutMs + 500);

    dns.resetCount();
    DownloadCancel cancel;
    qint64 cancelledAt = -1;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (cancelledAt < 0 && dns.queries() > 0) {
            cancelledAt = clock.elapsed();
            cancel.cancel();
        }
    });
    poll.start();
    clock.restart();
    EXPECT_FALSE(downloadToFile(url, target, &cancel));
    const qint64 returnedAt = clock.elapsed();
    ASSERT_GE(cancelledAt, 0) << "the name was never asked for";
    EXPECT_LT(returnedAt - cancelledAt, 100);
    std::printf("lookup bounded after %lld ms; cancel took %lld ms\n",
                static_cast<long long>(bounded), static_cast<long long>(returnedAt - cancelledAt));
}

} // namespace
