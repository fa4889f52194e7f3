#pragma once

#include <string>

namespace larkspan {

// The session tracker build at the end of an import run: the host name
// cache is opened for the web, each day file the run wrote is built in
// turn, and the cache is written back.
class SessionTrackerBuilder {
public:
    virtual ~SessionTrackerBuilder() = default;
    virtual void openCache(const std::string& webFolder, const std::string& web) = 0;
    virtual void buildDay(const std::string& dayFile) = 0;
    virtual void closeCache() = 0;
};

// Until the tracker arrives: builds nothing.
class NoSessionTracker : public SessionTrackerBuilder {
public:
    void openCache(const std::string&, const std::string&) override {}
    void buildDay(const std::string&) override {}
    void closeCache() override {}
};

}  // namespace larkspan
