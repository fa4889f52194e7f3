#include "platform/Clock.h"

#include <chrono>
#include <ctime>

namespace larkspan {

LocalDateTime SystemClock::now() const
{
    const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
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
    return result;
}

}  // namespace larkspan
