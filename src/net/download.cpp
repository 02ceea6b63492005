#include "download.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QMetaObject>
#include <QThread>
#include <QUrl>

#include "curlapi.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <exception>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavelorn {

struct DownloadCancel::Shared
{
    std::atomic<bool> cancelled{false};
    std::mutex mutex;
    CURLM* multi = nullptr; // the running transfer's, to wake it
};

DownloadCancel::DownloadCancel() : m_shared(std::make_unique<Shared>()) {}

DownloadCancel::~DownloadCancel() = default;

bool DownloadCancel::isCancelled() const
{
    return m_shared->cancelled.load();
}

void DownloadCancel::cancel()
{
    m_shared->cancelled.store(true);
    const std::lock_guard lock(m_shared->mutex);
    // A registered transfer means the library is loaded.
    if (m_shared->multi)
        curlApi()->multi_wakeup(m_shared->multi);
}

namespace {

struct Sink
{
    int fd = -1;
    std::int64_t written = 0;
    bool failed = false;
};

size_t writeToSink(char* data, size_t size, size_t count, void* userdata)
{
    auto* sink = static_cast<Sink*>(userdata);
    const size_t total = size * count;
    if (static_cast<std::int64_t>(total) > kDownloadMaxBytes - sink->written) {
        sink->failed = true;
        return 0; // aborts the transfer
    }
    size_t done = 0;
    while (done < total) {
        const ssize_t n = ::write(sink->fd, data + done, total - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            sink->failed = true;
            return 0;
        }
        done += static_cast<size_t>(n);
    }
    sink->written += static_cast<std::int64_t>(total);
    return total;
}

bool isReservedInvalidName(const QUrl& url)
{
    const QString host = url.host().toLower();
    return host == u"invalid" || host.endsWith(QStringLiteral(".invalid"));
}


// One transfer through a multi handle, so that another thread can wake and stop it.
class DownloadTransfer
{
public:
    DownloadTransfer(const CurlApi& curl, DownloadCancel* cancel)
        : m_curl(curl), m_cancel(cancel)
    {
        m_easy = m_curl.easy_init();
        m_multi = m_curl.multi_init();
    }
    ~DownloadTransfer()
    {
        if (m_cancel) {
            const std::lock_guard lock(m_cancel->shared().mutex);
            m_cancel->shared().multi = nullptr;
        }
        if (m_multi && m_easy)
            m_curl.multi_remove_handle(m_multi, m_easy);
        if (m_easy)
            m_curl.easy_cleanup(m_easy);
        if (m_multi)
            m_curl.multi_cleanup(m_multi);
    }
    DownloadTransfer(const DownloadTransfer&) = delete;
    DownloadTransfer& operator=(const DownloadTransfer&) = delete;

    bool run(const QByteArray& url, bool https, Sink& sink)
    {
        if (!m_easy || !m_multi || !setOptions(url, https, sink))
            return false;
        if (m_curl.multi_add_handle(m_multi, m_easy) != CURLM_OK)
            return false;
        if (m_cancel) {
            const std::lock_guard lock(m_cancel->shared().mutex);
            m_cancel->shared().multi = m_multi;
        }

        // The library's own time-out covers the lookup too; this one stands behind it.
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kDownloadTotalTimeoutMs);
        int running = 1;
        while (running) {
            if (m_cancel && m_cancel->isCancelled())
                return false;
            if (m_curl.multi_perform(m_multi, &running) != CURLM_OK)
                return false;
            if (!running)
                break;
            const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (remaining.count() < 0)
                return false;
            const int waitMs = int(std::min<std::int64_t>(remaining.count() + 1, 1000));
            if (m_curl.multi_poll(m_multi, nullptr, 0, waitMs, nullptr) != CURLM_OK)
                return false;
        }
        CURLcode result = CURLE_FAILED_INIT;
        int left = 0;
        while (CURLMsg* msg = m_curl.multi_info_read(m_multi, &left)) {
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == m_easy)
                result = msg->data.result;
        }
        long status = 0;
        m_curl.easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
        return result == CURLE_OK && status >= 200 && status < 300 && !sink.failed;
    }

private:
    template <typename Value> bool set(CURLoption option, Value value)
    {
        return m_curl.easy_setopt(m_easy, option, value) == CURLE_OK;
    }

    // Every option is a safety rule or a bound: a library that refuses one gets no
    // download at all.
    bool setOptions(const QByteArray& url, bool https, Sink& sink)
    {
        return set(CURLOPT_URL, url.constData()) && set(CURLOPT_PROTOCOLS_STR, "http,https") &&
               set(CURLOPT_REDIR_PROTOCOLS_STR, https ? "https" : "http,https") &&
               set(CURLOPT_FOLLOWLOCATION, 1L) && set(CURLOPT_MAXREDIRS, kDownloadMaxRedirects) &&
               set(CURLOPT_SSL_VERIFYPEER, 1L) && set(CURLOPT_SSL_VERIFYHOST, 2L) &&
               set(CURLOPT_CONNECTTIMEOUT_MS, kDownloadConnectTimeoutMs) &&
               set(CURLOPT_TIMEOUT_MS, kDownloadTotalTimeoutMs) &&
               set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kDownloadMaxBytes)) &&
               set(CURLOPT_FAILONERROR, 1L) && set(CURLOPT_NOSIGNAL, 1L) &&
               // A lookup still running when the transfer ends is left to finish on its
               // own instead of being waited for.
               set(CURLOPT_QUICK_EXIT, 1L) && set(CURLOPT_WRITEFUNCTION, writeToSink) &&
               set(CURLOPT_WRITEDATA, &sink);
    }

    const CurlApi& m_curl;
    DownloadCancel* m_cancel;
    CURL* m_easy = nullptr;
    CURLM* m_multi = nullptr;
};

} // namespace

static bool download(const QByteArray& url, bool https, const QByteArray& fileName,
                     DownloadCancel* cancel)
{
    const CurlApi* curl = curlApi();
    if (!curl)
        return false;
    // No link followed, no blocking on a planted pipe, nothing left to a child process.
    const int fd = ::open(fileName.constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    Sink sink;
    sink.fd = fd;
    bool ok = false;
    {
        DownloadTransfer transfer(*curl, cancel);
        ok = transfer.run(url, https, sink);
    }
    if (::close(fd) != 0)
        ok = false;
    return ok;
}

bool downloadToFile(const QString& url, const QString& fileName)
{
    return downloadToFile(url, fileName, nullptr);
}

bool downloadToFile(const QString& url, const QString& fileName, DownloadCancel* cancel)
{
    try {
        const QUrl parsed(url, QUrl::StrictMode);
        const QString scheme = parsed.scheme().toLower();
        if (!parsed.isValid() || (scheme != u"http" && scheme != u"https") ||
            parsed.host().isEmpty() || isReservedInvalidName(parsed) || fileName.isEmpty())
            return false;
        const QByteArray encodedUrl = parsed.toEncoded();
        const QByteArray encodedName = QFile::encodeName(fileName);
        const bool https = scheme == u"https";

        QCoreApplication* app = QCoreApplication::instance();
        if (!app || QThread::currentThread() != app->thread())
            return download(encodedUrl, https, encodedName, cancel);

        // The main thread waits in an event loop that leaves user input queued.
        DownloadCancel own;
        DownloadCancel* stop = cancel ? cancel : &own;
        bool ok = false;
        std::atomic<bool> done{false};
        QEventLoop loop;
        QObject::connect(app, &QCoreApplication::aboutToQuit, &loop, [stop] { stop->cancel(); });
        std::thread worker([&] {
            ok = download(encodedUrl, https, encodedName, stop);
            done.store(true);
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (!done.load()) {
            // Only the application's quit ends the loop early (a window manager's close
            // gets through where user input does not). The download stops, and events
            // keep being handled until its thread has ended: a join here would freeze
            // every window for the rest of the download.
            stop->cancel();
            while (!done.load())
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                                QEventLoop::WaitForMoreEvents);
        }
        worker.join();
        return ok;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace tavelorn
