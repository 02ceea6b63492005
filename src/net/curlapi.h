#pragma once

#include <curl/curl.h>

namespace tavelorn {

// libcurl, loaded at the first download rather than at start: with its TLS, HTTP/2,
// Kerberos and LDAP libraries it would add a quarter of the program's start-up linking
// for something the window never waits for.
struct CurlApi
{
    CURL* (*easyInit)();
    CURLcode (*easySetopt)(CURL*, CURLoption, ...);
    CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...);
    void (*easyCleanup)(CURL*);
    CURLM* (*multiInit)();
    CURLMcode (*multiAddHandle)(CURLM*, CURL*);
    CURLMcode (*multiRemoveHandle)(CURLM*, CURL*);
    CURLMcode (*multiPerform)(CURLM*, int*);
    CURLMcode (*multiPoll)(CURLM*, struct curl_waitfd[], unsigned int, int, int*);
    CURLMcode (*multiWakeup)(CURLM*);
    CURLMsg* (*multiInfoRead)(CURLM*, int*);
    CURLMcode (*multiCleanup)(CURLM*);
};

// The oldest libcurl that downloads within our bounds: the protocol lists by name
// (7.85) and leaving a name lookup without waiting for it (7.87).
inline constexpr unsigned kCurlMinimumVersion = 0x075700;

// True when the library described can be trusted with a download: recent enough, and
// with a resolver that runs beside the transfer, so that a name server that never
// answers costs no more than the transfer's time-out.
bool curlLibrarySuitable(const curl_version_info_data* info);

// The library, loaded and initialised once (thread-safe); nullptr when it cannot be
// loaded or is unsuitable, and every download then fails.
const CurlApi* curlApi();

} // namespace tavelorn
