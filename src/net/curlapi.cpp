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
    curl_version_info_data* (*version_info)(CURLversion) = nullptr;
    CURLcode (*global_init)(long) = nullptr;
    const bool ok = lib.bind(version_info, "curl_version_info") &&
                    lib.bind(global_init, "curl_global_init") &&
                    lib.bind(api.easy_init, "curl_easy_init") &&
                    lib.bind(api.easy_setopt, "curl_easy_setopt") &&
                    lib.bind(api.easy_getinfo, "curl_easy_getinfo") &&
                    lib.bind(api.easy_cleanup, "curl_easy_cleanup") &&
                    lib.bind(api.multi_init, "curl_multi_init") &&
                    lib.bind(api.multi_add_handle, "curl_multi_add_handle") &&
                    lib.bind(api.multi_remove_handle, "curl_multi_remove_handle") &&
                    lib.bind(api.multi_perform, "curl_multi_perform") &&
                    lib.bind(api.multi_poll, "curl_multi_poll") &&
                    lib.bind(api.multi_wakeup, "curl_multi_wakeup") &&
                    lib.bind(api.multi_info_read, "curl_multi_info_read") &&
                    lib.bind(api.multi_cleanup, "curl_multi_cleanup");
    // The headers we were built with promise nothing about the library found at run time.
    if (!ok || !curlLibrarySuitable(version_info(CURLVERSION_NOW)) ||
        global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return nullptr;
    return &api;
}

std::atomic<const CurlApi*> testApi{nullptr};

} // namespace

bool curlLibrarySuitable(const curl_version_info_data* info)
{
    return info && info->version_num >= kCurlMinimumVersion &&
           (info->features & CURL_VERSION_ASYNCHDNS) != 0;
}

const CurlApi* curlApi()
{
    if (const CurlApi* api = testApi.load())
        return api;
    static std::once_flag once;
    static const CurlApi* api = nullptr;
    std::call_once(once, [] { api = load(); });
    return api;
}

namespace TestHooks {

void setCurlApi(const CurlApi* api)
{
    testApi.store(api);
}

} // namespace TestHooks

} // namespace tavelorn
