#include "tracker/TrackerDatabase.h"

#include "common/Error.h"
#include "common/TextFile.h"
#include "import/LineReader.h"
#include "platform/EventPump.h"
#include "platform/Platform.h"
#include "tracker/DayTracker.h"
#include "tracker/TrackerFiles.h"

#include <cerrno>
#include <filesystem>

namespace larkspan::tracker {

TrackerDatabase::TrackerDatabase(Platform& platform, std::string syssFolder, std::chrono::milliseconds pumpInterval)
    : platform_(platform), hosts_(std::move(syssFolder)), pumpInterval_(pumpInterval)
{
}

void TrackerDatabase::openCache(const std::string& webFolder, const std::string& web)
{
    hosts_.open(webCachePath(webFolder, web));
    linesRead_ = 0;
}

bool TrackerDatabase::buildDay(const std::string& dayFile, const TrackerProgress& progress)
{
    LineReader reader;
    if (!reader.open(dayFile)) {
        const int code = errno;
        platform_.messages.show(MessageKind::Error, "File Access Error : " + std::to_string(code));
        throw Error("The day file " + dayFile + " cannot be read.");
    }
    ThrottledPump pump(platform_.pump, pumpInterval_);
    DayTracker day(hosts_);
    std::error_code sizeUnknown;
    const auto size = std::filesystem::file_size(dayFile, sizeUnknown);
    if (!sizeUnknown) day.reserveFor(static_cast<std::size_t>(size));
    std::string_view line;
    while (reader.next(line)) {
        ++linesRead_;
        if (pump.poll() && progress) progress(linesRead_);
        if (platform_.cancel.requested()) return false;
        day.addLine(line);
    }
    saveTextFile(platform_.messages, summaryPathFor(dayFile), day.summaryFileText());
    saveTextFile(platform_.messages, detailPathFor(dayFile), day.detailFileText());
    if (progress) progress(linesRead_);
    return true;
}

void TrackerDatabase::closeCache()
{
    hosts_.close();
}

} // namespace larkspan::tracker
