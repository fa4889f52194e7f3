#include "tracker/HostNameCache.h"

#include "common/FolderListing.h"

#include <filesystem>

namespace larkspan::tracker {

std::string programCachePath(const std::string& syssFolder)
{
    return joinPath(syssFolder, "nslcache.lklf");
}

std::string failureListPath(const std::string& syssFolder)
{
    return joinPath(syssFolder, "nslerrs.lklf");
}

std::string webCachePath(const std::string& webFolder, const std::string& web)
{
    return joinPath(webFolder, web + ".nslc");
}

BuildHostNames::BuildHostNames(std::string syssFolder) : syss_(std::move(syssFolder)) {}

void BuildHostNames::open(const std::string& webCacheFile)
{
    program_.load(programCachePath(syss_));
    web_ = HostNameList();
    std::error_code ec;
    if (!webCacheFile.empty() && std::filesystem::exists(webCacheFile, ec)) web_.load(webCacheFile);
    open_ = true;
}

std::string_view BuildHostNames::lookup(std::string_view address) const
{
    if (auto name = web_.find(address)) return *name;
    if (auto name = program_.find(address)) return *name;
    return kLookupFailed;
}

void BuildHostNames::close()
{
    if (!open_) return;
    open_ = false;
    program_.saveMerged(programCachePath(syss_));
}

} // namespace larkspan::tracker
