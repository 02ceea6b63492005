#include "curlapi.h"

#include <mutex>

#include <dlfcn.h>

namespace {

template <class F> bool bind(void* lib, F& f, const char* name)
{
    f = reinterpret_cast<F>(dlsym(lib, name));
    return f != nullptr;
}

const TCurlApi* load()
{
    // The library the headers belong to (SONAME of libcurl 7.x and 8.x).
    void* lib = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        return nullptr;
    static TCurlApi api;
    CURLcode (*global_init)(long) = nullptr;
    const bool ok = bind(lib, global_init, "curl_global_init") &&
                    bind(lib, api.easy_init, "curl_easy_init") &&
                    bind(lib, api.easy_setopt, "curl_easy_setopt") &&
                    bind(lib, api.easy_getinfo, "curl_easy_getinfo") &&
                    bind(lib, api.easy_cleanup, "curl_easy_cleanup") &&
                    bind(lib, api.multi_init, "curl_multi_init") &&
                    bind(lib, api.multi_add_handle, "curl_multi_add_handle") &&
                    bind(lib, api.multi_remove_handle, "curl_multi_remove_handle") &&
                    bind(lib, api.multi_perform, "curl_multi_perform") &&
                    bind(lib, api.multi_poll, "curl_multi_poll") &&
                    bind(lib, api.multi_wakeup, "curl_multi_wakeup") &&
                    bind(lib, api.multi_info_read, "curl_multi_info_read") &&
                    bind(lib, api.multi_cleanup, "curl_multi_cleanup");
    // The library stays loaded for the life of the process, as a linked one would.
    if (!ok || global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return nullptr;
    return &api;
}

} // namespace

const TCurlApi* CurlApi()
{
    static std::once_flag once;
    static const TCurlApi* api = nullptr;
    std::call_once(once, [] { api = load(); });
    return api;
}
