#pragma once

#include <curl/curl.h>

namespace larkspan::net {

// libcurl's entry points, loaded the first time a connection is made rather
// than when the program starts: libcurl brings some thirty libraries (TLS,
// Kerberos, LDAP) whose loading would otherwise be paid by every command,
// most of which never reach a server.
struct CurlLibrary {
    CURL* (*easyInit)() = nullptr;
    CURLcode (*easySetopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*easyPerform)(CURL*) = nullptr;
    void (*easyCleanup)(CURL*) = nullptr;
    const char* (*easyStrerror)(CURLcode) = nullptr;
    char* (*easyEscape)(CURL*, const char*, int) = nullptr;
    void (*free)(void*) = nullptr;
    curl_slist* (*slistAppend)(curl_slist*, const char*) = nullptr;
    void (*slistFreeAll)(curl_slist*) = nullptr;

    // The library, loaded and initialised once for the process. Throws Error
    // saying what is missing when it cannot be loaded.
    static const CurlLibrary& get();
};

} // namespace larkspan::net
