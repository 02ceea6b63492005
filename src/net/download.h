#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <stop_token>

namespace tavelorn {

// Bounds of every download: a hung or hostile server costs at most this much.
inline constexpr long kDownloadConnectTimeoutMs = 2000;
inline constexpr long kDownloadTotalTimeoutMs = 2000;
inline constexpr std::int64_t kDownloadMaxBytes = std::int64_t{256} * 1024;
inline constexpr long kDownloadMaxRedirects = 5;

// Downloads the resource at url (http or https) into memory: its body when the server
// answered with success and sent at most kDownloadMaxBytes, else nullopt. Never throws.
// HTTPS certificates and host names are checked; redirects are followed up to
// kDownloadMaxRedirects times, never from https to another scheme. Names in the reserved
// ".invalid" domain fail at once without a look-up.
//
// Runs on the calling thread, which is never the window's: the window starts it as a Job
// on networkJobPool(). Every download ends within kDownloadTotalTimeoutMs, the name lookup
// included, and at once when stop is requested: a lookup that the name server never
// answers is left behind.
std::optional<QByteArray> download(const QString& url, const std::stop_token& stop = {});

} // namespace tavelorn
