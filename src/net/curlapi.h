#pragma once

#include <curl/curl.h>

// libcurl, loaded at the first download rather than at start: with its TLS, HTTP/2,
// Kerberos and LDAP libraries it would add a quarter of the program's start-up linking
// for something the window never waits for.
struct TCurlApi
{
    CURL* (*easy_init)();
    CURLcode (*easy_setopt)(CURL*, CURLoption, ...);
    CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...);
    void (*easy_cleanup)(CURL*);
    CURLM* (*multi_init)();
    CURLMcode (*multi_add_handle)(CURLM*, CURL*);
    CURLMcode (*multi_remove_handle)(CURLM*, CURL*);
    CURLMcode (*multi_perform)(CURLM*, int*);
    CURLMcode (*multi_poll)(CURLM*, struct curl_waitfd[], unsigned int, int, int*);
    CURLMcode (*multi_wakeup)(CURLM*);
    CURLMsg* (*multi_info_read)(CURLM*, int*);
    CURLMcode (*multi_cleanup)(CURLM*);
};

// The library, loaded and initialised once (thread-safe); nullptr when it cannot be
// loaded, and every download then fails.
const TCurlApi* CurlApi();
