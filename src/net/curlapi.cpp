#include "curlapi.h"
#include "nettesting.h"

#include "lazylibrary.h"

#include <atomic>
#include <mutex>

namespace tavelorn {

namespace {

const CurlApi* load()
{
    // The library the headers belong to (SONAME of libcurl 7.x and 8.x).
    static const LazyLibrary lib("libcurl.so.4");
    static CurlApi api;
    curl_version_info_data* (*versionInfo)(CURLversion) = nullptr;
    CURLcode (*globalInit)(long) = nullptr;
    const bool ok =
        lib.bind(versionInfo, "curl_version_info") && lib.bind(globalInit, "curl_global_init") &&
        lib.bind(api.easyInit, "curl_easy_init") && lib.bind(api.easySetopt, "curl_easy_setopt") &&
        lib.bind(api.easyGetinfo, "curl_easy_getinfo") &&
        lib.bind(api.easyCleanup, "curl_easy_cleanup") &&
        lib.bind(api.multiInit, "curl_multi_init") &&
        lib.bind(api.multiAddHandle, "curl_multi_add_handle") &&
        lib.bind(api.multiRemoveHandle, "curl_multi_remove_handle") &&
        lib.bind(api.multiPerform, "curl_multi_perform") &&
        lib.bind(api.multiPoll, "curl_multi_poll") &&
        lib.bind(api.multiWakeup, "curl_multi_wakeup") &&
        lib.bind(api.multiInfoRead, "curl_multi_info_read") &&
        lib.bind(api.multiCleanup, "curl_multi_cleanup");
    // The headers we were built with promise nothing about the library found at run time.
    if (!ok || !curlLibrarySuitable(versionInfo(CURLVERSION_NOW)) ||
        globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return nullptr;
    return &api;
}

std::atomic<const CurlApi*> g_testApi{nullptr};

} // namespace

bool curlLibrarySuitable(const curl_version_info_data* info)
{
    return info && info->version_num >= kCurlMinimumVersion &&
           (info->features & CURL_VERSION_ASYNCHDNS) != 0;
}

const CurlApi* curlApi()
{
    if (const CurlApi* api = g_testApi.load())
        return api;
    static std::once_flag once;
    static const CurlApi* api = nullptr;
    std::call_once(once, [] { api = load(); });
    return api;
}

namespace TestHooks {

void setCurlApi(const CurlApi* api)
{
    g_testApi.store(api);
}

} // namespace TestHooks

} // namespace tavelorn
