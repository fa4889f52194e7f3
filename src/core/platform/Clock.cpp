#include "platform/Clock.h"

#include <chrono>
#include <ctime>

namespace larkspan {

LocalDateTime SystemClock::now() const
{
    const auto at = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    LocalDateTime result;
    result.date = CivilDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    result.hour = local.tm_hour;
    result.minute = local.tm_min;
    result.second = local.tm_sec;
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count();
    result.millisecond = static_cast<int>(((sinceEpoch % 1000) + 1000) % 1000);
    return result;
}

}  // namespace larkspan
