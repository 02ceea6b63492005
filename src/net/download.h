#pragma once

#include <QString>

#include <cstdint>
#include <memory>

namespace tavelorn {

// Stops a download from another thread: the download ends at once and fails.
class DownloadCancel
{
public:
    DownloadCancel();
    ~DownloadCancel();
    DownloadCancel(const DownloadCancel&) = delete;
    DownloadCancel& operator=(const DownloadCancel&) = delete;

    void cancel();
    bool isCancelled() const;

    // What a running download shares with cancel(); known to the download only.
    struct Shared;
    Shared& shared() const { return *m_shared; }

private:
    const std::unique_ptr<Shared> m_shared;
};

// Bounds of every download: a hung or hostile server costs at most this much.
inline constexpr long kDownloadConnectTimeoutMs = 2000;
inline constexpr long kDownloadTotalTimeoutMs = 2000;
inline constexpr std::int64_t kDownloadMaxBytes = std::int64_t{256} * 1024;
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
bool downloadToFile(const QString& url, const QString& fileName);
bool downloadToFile(const QString& url, const QString& fileName, DownloadCancel* cancel);

} // namespace tavelorn
