#include "samples/SampleLogs.h"

#include "common/Error.h"
#include "platform/CancelRequest.h"
#include "platform/EventPump.h"
#include "samples/SampleOutput.h"
#include "samples/SampleRandom.h"

#include <filesystem>
#include <system_error>

namespace larkspan::samples {

namespace {
constexpr int kRestartSecond = 12 * 3600;
} // namespace

std::string sampleFileName(const CivilDate& date, bool gzip)
{
    std::string name = "access-";
    const std::string iso = dates::isoDate(date);
    for (const char c : iso)
        if (c != '-') name += c;
    name += gzip ? ".log.gz" : ".log";
    return name;
}

SampleLogResult writeSampleLogs(const std::string& folder, const SampleLogOptions& options, EventPump& pump,
                                CancelRequest& cancel)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder)) throw Error("Unable to create folder " + folder);

    ThrottledPump throttle(pump);
    SampleLogResult result;
    const int first = dayNumber(options.start);
    for (int index = 0; index < options.days; ++index) {
        const CivilDate date = civilDate(first + index);
        const SampleDay day = generateSampleDay(SampleRandom::derive(options.seed, static_cast<std::uint64_t>(index)),
                                                options.linesPerDay);
        const std::string path = (std::filesystem::path(folder) / sampleFileName(date, options.gzip)).string();
        SampleOutput output(path, options.gzip);
        result.files.push_back(path);
        const SampleFormatter formatter(options.layout, date);
        formatter.appendHeader(output.buffer(), day);
        // One day in seven the server restarts at noon.
        bool restart = index % 7 == 3;
        long written = 0;
        for (const Request& request : day.requests) {
            if (restart && request.second >= kRestartSecond) {
                formatter.appendRestart(output.buffer(), request.second);
                restart = false;
            }
            formatter.appendRecord(output.buffer(), day, request);
            if (++written % 1024 == 0) {
                output.maybeFlush();
                throttle.poll();
            }
        }
        output.close();
        result.records += written;
        throttle.poll();
        if (cancel.requested()) throw Cancelled();
    }
    return result;
}

} // namespace larkspan::samples
