#pragma once

#include "common/Dates.h"
#include "samples/SampleLayout.h"

#include <cstdint>
#include <string>
#include <vector>

namespace larkspan {

class CancelRequest;
class EventPump;

namespace samples {

struct SampleLogOptions {
    SampleLayout layout = SampleLayout::NcsaCombined;
    int days = 7;
    long linesPerDay = 1000;
    std::uint64_t seed = 1;
    CivilDate start{2024, 1, 1};
    bool gzip = false;
};

struct SampleLogResult {
    std::vector<std::string> files;
    long long records = 0;
};

// "access-yyyymmdd.log", with ".gz" appended for compressed output.
std::string sampleFileName(const CivilDate& date, bool gzip);

// Writes one log file per day from options.start on into folder (created
// when missing), each with exactly linesPerDay records after the layout's
// own header lines. Day d's content depends only on the seed, d's index and
// the layout, so a seed reproduces every file byte for byte. Polls the pump
// while it works; a cancel request stops it (throwing Cancelled) once the
// current file is complete, so no file is left cut short. Throws Error when a file cannot be written.
SampleLogResult writeSampleLogs(const std::string& folder, const SampleLogOptions& options, EventPump& pump,
                                CancelRequest& cancel);

} // namespace samples
} // namespace larkspan
