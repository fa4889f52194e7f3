#include "common/WorkerThreads.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <exception>
#include <system_error>
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

void splitInTwo(std::size_t count, bool split, const std::function<void(std::size_t, std::size_t)>& work)
{
    const std::size_t middle = count / 2;
    if (!split || workerThreadCount() < 2) {
        work(0, middle);
        work(middle, count);
        return;
    }
    std::exception_ptr secondFailure;
    std::thread second;
    try {
        second = std::thread([&] {
            try {
                work(middle, count);
            } catch (...) {
                secondFailure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        work(0, middle); // no thread to be had
        work(middle, count);
        return;
    }
    std::exception_ptr firstFailure;
    try {
        work(0, middle);
    } catch (...) {
        firstFailure = std::current_exception();
    }
    second.join();
    if (firstFailure) std::rethrow_exception(firstFailure);
    if (secondFailure) std::rethrow_exception(secondFailure);
}

} // namespace larkspan
