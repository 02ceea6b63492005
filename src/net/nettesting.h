#pragma once

// Entry points for the tests only; the programs never include this header.

#include <QtGlobal>

#include <array>
#include <functional>

// The types of the hooks are declared or spelt out here, not included: the modules that
// implement the hooks include this header.
namespace tavelorn {
struct CurlApi;
}

namespace tavelorn::TestHooks {

// Shortens the bounds of every download, so that a test of a silent server waits
// fractions of a second; 0 restores the built-in bound.
void setDownloadTimeouts(long connectMs, long totalMs);

// Both bounds shortened to ms for a scope.
class ShortDownloadTimeouts
{
public:
    explicit ShortDownloadTimeouts(long ms) { setDownloadTimeouts(ms, ms); }
    ~ShortDownloadTimeouts() { setDownloadTimeouts(0, 0); }
    ShortDownloadTimeouts(const ShortDownloadTimeouts&) = delete;
    ShortDownloadTimeouts& operator=(const ShortDownloadTimeouts&) = delete;
};

// Makes curlApi() return api instead (nullptr: the real library again).
void setCurlApi(const CurlApi* api);

// Lets a test read another version (a ProgramVersion), or fail; an empty function
// restores the real reader.
void setProgramVersionReader(std::function<std::array<quint16, 4>()> reader);

} // namespace tavelorn::TestHooks
