#pragma once

#include "tracker/HostNameList.h"

#include <string>
#include <string_view>

namespace larkspan::tracker {

// The answer of a lookup that found nothing.
inline constexpr std::string_view kLookupFailed = "!NSLOOKUPERROR!";

// Where the cache files lie: the program-wide cache and failure list in the
// program's "syss" folder, and a web's own cache in its web folder.
std::string programCachePath(const std::string& syssFolder);                    // nslcache.lklf
std::string failureListPath(const std::string& syssFolder);                     // nslerrs.lklf
std::string webCachePath(const std::string& webFolder, const std::string& web); // <web>.nslc

// The host names a session tracker build reads, from opening the cache for
// a web to closing it. A build only reads: no lookup here goes to the
// network.
class BuildHostNames {
  public:
    explicit BuildHostNames(std::string syssFolder);

    // Loads the program-wide cache (an unreadable file leaves it empty) and
    // the web's cache when the file exists.
    void open(const std::string& webCacheFile);

    // The first answer for the address in the web's cache, else in the
    // program-wide cache, else kLookupFailed.
    std::string_view lookup(std::string_view address) const;

    // Writes the program-wide cache back (merged with the file under its
    // lock, so answers the viewer saved meanwhile stay); a failure to write
    // is ignored. The web's cache is never written.
    void close();

  private:
    std::string syss_;
    HostNameList program_;
    HostNameList web_;
    bool open_ = false;
};

} // namespace larkspan::tracker
