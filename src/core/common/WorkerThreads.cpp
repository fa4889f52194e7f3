#include "common/WorkerThreads.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <thread>

namespace larkspan {

namespace {

// A thread count nobody needs more of; a larger setting is held here.
constexpr unsigned kMostThreads = 64;

} // namespace

unsigned workerThreadCount(std::string_view setting, unsigned cores)
{
    unsigned value = 0;
    const char* end = setting.data() + setting.size();
    const auto [at, error] = std::from_chars(setting.data(), end, value);
    if (!setting.empty() && error == std::errc() && at == end && value >= 1) return std::min(value, kMostThreads);
    return std::clamp(cores, 2u, kMostThreads);
}

unsigned workerThreadCount()
{
    const char* setting = std::getenv("LARKSPAN_THREADS");
    return workerThreadCount(setting ? std::string_view(setting) : std::string_view(),
                             std::thread::hardware_concurrency());
}

} // namespace larkspan
