#include "CurlLibrary.h"

#include "common/Error.h"

#include <dlfcn.h>

#include <mutex>
#include <string>

namespace larkspan::net {

namespace {

// The soname of the libcurl the program was built against.
constexpr const char* kLibraryName = "libcurl.so.4";

template <typename Function> bool resolve(void* handle, const char* name, Function& into)
{
    into = reinterpret_cast<Function>(dlsym(handle, name));
    return into != nullptr;
}

struct Loaded {
    CurlLibrary library;
    std::string failure; // empty once loaded
};

Loaded load()
{
    Loaded loaded;
    void* handle = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        loaded.failure = std::string("FTP needs the curl library (") + kLibraryName +
                         "), which could not be loaded: " + (why ? why : "unknown error");
        return loaded;
    }
    CurlLibrary& c = loaded.library;
    CURLcode (*globalInit)(long) = nullptr;
    const bool complete =
        resolve(handle, "curl_global_init", globalInit) && resolve(handle, "curl_easy_init", c.easyInit) &&
        resolve(handle, "curl_easy_setopt", c.easySetopt) && resolve(handle, "curl_easy_perform", c.easyPerform) &&
        resolve(handle, "curl_easy_cleanup", c.easyCleanup) && resolve(handle, "curl_easy_strerror", c.easyStrerror) &&
        resolve(handle, "curl_easy_escape", c.easyEscape) && resolve(handle, "curl_free", c.free) &&
        resolve(handle, "curl_slist_append", c.slistAppend) && resolve(handle, "curl_slist_free_all", c.slistFreeAll);
    if (!complete) {
        loaded.failure = std::string("The curl library (") + kLibraryName + ") lacks a function the FTP client needs.";
        return loaded;
    }
    // The handle stays open for the life of the process.
    if (globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) loaded.failure = "The curl library could not be initialised.";
    return loaded;
}

} // namespace

const CurlLibrary& CurlLibrary::get()
{
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = load(); });
    if (!loaded.failure.empty()) throw Error(loaded.failure);
    return loaded.library;
}

} // namespace larkspan::net
