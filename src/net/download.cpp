#include "download.h"

#include "nettesting.h"

#include <QUrl>

#include "curlapi.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <new>
#include <optional>
#include <utility>

namespace tavelorn {

namespace {

// The bounds in force: the constants, or shorter ones that a test set.
std::atomic<long> g_connectTimeoutMs{kDownloadConnectTimeoutMs};
std::atomic<long> g_totalTimeoutMs{kDownloadTotalTimeoutMs};

struct Sink
{
    QByteArray body;
    bool failed = false;
};

size_t writeToSink(char* data, size_t size, size_t count, void* userdata)
{
    auto* sink = static_cast<Sink*>(userdata);
    const size_t total = size * count;
    if (static_cast<std::int64_t>(total) > kDownloadMaxBytes - sink->body.size()) {
        sink->failed = true;
        return 0; // aborts the transfer
    }
    try {
        sink->body.append(data, static_cast<qsizetype>(total));
    } catch (const std::bad_alloc&) {
        sink->failed = true;
        return 0;
    }
    return total;
}

bool isReservedInvalidName(const QUrl& url)
{
    const QString host = url.host().toLower();
    return host == u"invalid" || host.endsWith(QStringLiteral(".invalid"));
}

// One transfer through a multi handle, so that a stop request from another thread can
// wake and end it.
class DownloadTransfer
{
public:
    explicit DownloadTransfer(const CurlApi& curl) : m_curl(curl)
    {
        m_easy = m_curl.easyInit();
        m_multi = m_curl.multiInit();
    }
    ~DownloadTransfer()
    {
        // First: its destructor waits for a wake-up running on another thread.
        m_wake.reset();
        if (m_multi && m_easy)
            m_curl.multiRemoveHandle(m_multi, m_easy);
        if (m_easy)
            m_curl.easyCleanup(m_easy);
        if (m_multi)
            m_curl.multiCleanup(m_multi);
    }
    DownloadTransfer(const DownloadTransfer&) = delete;
    DownloadTransfer& operator=(const DownloadTransfer&) = delete;

    bool run(const QByteArray& url, bool https, Sink& sink, const std::stop_token& stop)
    {
        if (!m_easy || !m_multi || !setOptions(url, https, sink))
            return false;
        if (m_curl.multiAddHandle(m_multi, m_easy) != CURLM_OK)
            return false;
        m_wake.emplace(stop, Wake{&m_curl, m_multi});

        const long totalMs = g_totalTimeoutMs.load();
        // The library's own time-out covers the lookup too; this one stands behind it.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(totalMs);
        int running = 1;
        while (running) {
            if (stop.stop_requested())
                return false;
            if (m_curl.multiPerform(m_multi, &running) != CURLM_OK)
                return false;
            if (!running)
                break;
            const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (remaining.count() < 0)
                return false;
            const int waitMs = int(std::min<std::int64_t>(remaining.count() + 1, 1000));
            if (m_curl.multiPoll(m_multi, nullptr, 0, waitMs, nullptr) != CURLM_OK)
                return false;
        }
        CURLcode result = CURLE_FAILED_INIT;
        int left = 0;
        while (CURLMsg* msg = m_curl.multiInfoRead(m_multi, &left)) {
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == m_easy)
                result = msg->data.result;
        }
        long status = 0;
        m_curl.easyGetinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
        return result == CURLE_OK && status >= 200 && status < 300 && !sink.failed;
    }

private:
    // Ends the multi handle's wait from the thread that asks for the stop.
    struct Wake
    {
        const CurlApi* curl;
        CURLM* multi;
        void operator()() const noexcept { curl->multiWakeup(multi); }
    };

    template <typename Value> bool set(CURLoption option, Value value)
    {
        return m_curl.easySetopt(m_easy, option, value) == CURLE_OK;
    }

    // Every option is a safety rule or a bound: a library that refuses one gets no
    // download at all.
    bool setOptions(const QByteArray& url, bool https, Sink& sink)
    {
        return set(CURLOPT_URL, url.constData()) && set(CURLOPT_PROTOCOLS_STR, "http,https") &&
               set(CURLOPT_REDIR_PROTOCOLS_STR, https ? "https" : "http,https") &&
               set(CURLOPT_FOLLOWLOCATION, 1L) && set(CURLOPT_MAXREDIRS, kDownloadMaxRedirects) &&
               set(CURLOPT_SSL_VERIFYPEER, 1L) && set(CURLOPT_SSL_VERIFYHOST, 2L) &&
               set(CURLOPT_CONNECTTIMEOUT_MS, g_connectTimeoutMs.load()) &&
               set(CURLOPT_TIMEOUT_MS, g_totalTimeoutMs.load()) &&
               set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kDownloadMaxBytes)) &&
               set(CURLOPT_FAILONERROR, 1L) && set(CURLOPT_NOSIGNAL, 1L) &&
               // A lookup still running when the transfer ends is left to finish on its
               // own instead of being waited for.
               set(CURLOPT_QUICK_EXIT, 1L) && set(CURLOPT_WRITEFUNCTION, writeToSink) &&
               set(CURLOPT_WRITEDATA, &sink);
    }

    const CurlApi& m_curl;
    CURL* m_easy = nullptr;
    CURLM* m_multi = nullptr;
    std::optional<std::stop_callback<Wake>> m_wake;
};

} // namespace

std::optional<QByteArray> download(const QString& url, const std::stop_token& stop)
{
    try {
        const QUrl parsed(url, QUrl::StrictMode);
        const QString scheme = parsed.scheme().toLower();
        if (!parsed.isValid() || (scheme != u"http" && scheme != u"https") ||
            parsed.host().isEmpty() || isReservedInvalidName(parsed))
            return std::nullopt;
        const CurlApi* curl = curlApi();
        if (!curl || stop.stop_requested())
            return std::nullopt;
        Sink sink;
        DownloadTransfer transfer(*curl);
        if (!transfer.run(parsed.toEncoded(), scheme == u"https", sink, stop))
            return std::nullopt;
        return std::move(sink.body);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void TestHooks::setDownloadTimeouts(long connectMs, long totalMs)
{
    g_connectTimeoutMs = connectMs > 0 ? connectMs : kDownloadConnectTimeoutMs;
    g_totalTimeoutMs = totalMs > 0 ? totalMs : kDownloadTotalTimeoutMs;
}

} // namespace tavelorn
