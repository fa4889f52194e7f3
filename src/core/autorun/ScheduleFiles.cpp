#include "autorun/ScheduleFiles.h"

#include "common/Text.h"
#include "common/TextFile.h"

#include <algorithm>
#include <filesystem>

namespace larkspan::autorun {

std::string scheduleFile(const std::string& dataDirectory)
{
    return dataDirectory + "Schedule.job";
}
std::string intervalFile(const std::string& dataDirectory)
{
    return dataDirectory + "Schedule.job.int";
}
std::string logFile(const std::string& dataDirectory)
{
    return dataDirectory + "Schedule.log";
}

namespace {
// A folder or a dangling name reads as missing.
std::optional<std::string> readRegularFile(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::string content;
    if (!readWholeFile(path, content)) return std::nullopt;
    return content;
}
} // namespace

std::optional<std::string> readInterval(const std::string& dataDirectory)
{
    return readRegularFile(intervalFile(dataDirectory));
}

std::optional<std::vector<std::string>> readScheduledWebs(const std::string& dataDirectory)
{
    const auto content = readRegularFile(scheduleFile(dataDirectory));
    if (!content) return std::nullopt;
    return text::splitLines(*content);
}

std::vector<std::string> sortedWebs(std::vector<std::string> webs)
{
    std::erase_if(webs, [](const std::string& web) { return web.empty(); });
    std::stable_sort(webs.begin(), webs.end(), [](const std::string& a, const std::string& b) {
        const int order = text::icompare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    webs.erase(std::unique(webs.begin(), webs.end(),
                           [](const std::string& a, const std::string& b) { return text::iequals(a, b); }),
               webs.end());
    return webs;
}

bool writeSchedule(const std::string& dataDirectory, const std::vector<std::string>& webs, const std::string& interval)
{
    return writeWholeFile(scheduleFile(dataDirectory), joinCrLf(sortedWebs(webs))) &&
           writeWholeFile(intervalFile(dataDirectory), interval);
}

bool containsWeb(const std::vector<std::string>& webs, const std::string& name)
{
    return std::any_of(webs.begin(), webs.end(), [&](const std::string& web) { return text::iequals(web, name); });
}

} // namespace larkspan::autorun
