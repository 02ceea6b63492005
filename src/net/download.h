#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>

// Stops a download from another thread: the download ends at once and fails.
class TDownloadCancel
{
public:
    void cancel();
    bool isCancelled() const { return m_cancelled.load(); }

private:
    friend class TDownloadTransfer;
    std::atomic<bool> m_cancelled{false};
    std::mutex m_mutex;
    void* m_multi = nullptr; // the running transfer's CURLM, to wake it
};

// Bounds of every download: a hung or hostile server costs at most this much.
inline constexpr long kDownloadConnectTimeoutMs = 2000;
inline constexpr long kDownloadTotalTimeoutMs = 2000;
inline constexpr std::int64_t kDownloadMaxBytes = 256 * 1024;
inline constexpr long kDownloadMaxRedirects = 5;

// Downloads the resource at url (http or https) into fileName, replacing the file's
// content. True exactly when the server answered with success and the whole body, at most
// kDownloadMaxBytes, was written. Never throws. HTTPS certificates and host names are
// checked; redirects are followed up to kDownloadMaxRedirects times, never from https to
// another scheme. Names in the reserved ".invalid" domain fail at once without a look-up.
// The file is opened without following a link; anything but a regular file is refused.
//
// On the application's main thread the transfer runs on a worker thread while the main
// thread keeps handling every event except user input, so windows repaint but the user
// cannot start another command; elsewhere it runs on the calling thread. When the
// application quits meanwhile, the download is cancelled at once.
//
// Every download ends within kDownloadTotalTimeoutMs, the name lookup included, and a
// cancelled one at once: a lookup that the name server never answers is left behind.
bool DownloadToFile(const QString& url, const QString& fileName);
bool DownloadToFile(const QString& url, const QString& fileName, TDownloadCancel* cancel);
