#pragma once

#include "import/SessionTracker.h"
#include "tracker/HostNameCache.h"

#include <chrono>
#include <string>

namespace larkspan {

struct Platform;

namespace tracker {

// The session tracker step of an import run: for each day file the run
// wrote, reads it once and replaces its ".lkmus" and ".lkdus" files
// (TrackerFiles.h), naming clients from the host name cache. Cancel is
// tested at every line; the platform's pump runs between lines.
class TrackerDatabase : public SessionTrackerBuilder {
public:
    TrackerDatabase(Platform& platform, std::string syssFolder,
                    std::chrono::milliseconds pumpInterval = std::chrono::milliseconds(50));

    void openCache(const std::string& webFolder, const std::string& web) override;
    bool buildDay(const std::string& dayFile, const TrackerProgress& progress) override;
    void closeCache() override;

private:
    Platform& platform_;
    BuildHostNames hosts_;
    std::chrono::milliseconds pumpInterval_;
    long long linesRead_ = 0;
};

}  // namespace tracker
}  // namespace larkspan
