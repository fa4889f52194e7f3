#pragma once

#include <optional>
#include <string>
#include <vector>

namespace larkspan::autorun {

// The schedule files, directly in the data directory (which ends with a
// separator): the scheduled webs, the interval text and the log.
std::string scheduleFile(const std::string& dataDirectory); // "Schedule.job"
std::string intervalFile(const std::string& dataDirectory); // "Schedule.job.int"
std::string logFile(const std::string& dataDirectory);      // "Schedule.log"

// The whole content of "Schedule.job.int"; nullopt when it cannot be read.
std::optional<std::string> readInterval(const std::string& dataDirectory);
// The lines of "Schedule.job" as the file holds them; nullopt when it
// cannot be read.
std::optional<std::vector<std::string>> readScheduledWebs(const std::string& dataDirectory);

// Sorts web names in ascending order (without regard to case) and drops
// empty names and repeats.
std::vector<std::string> sortedWebs(std::vector<std::string> webs);

// Writes "Schedule.job" (the webs in ascending order, each line ending with
// CR LF) and "Schedule.job.int" (the text without a line break). False when
// either cannot be written.
bool writeSchedule(const std::string& dataDirectory, const std::vector<std::string>& webs, const std::string& interval);

// Whether a web of that name is among the existing webs (names compare
// without regard to case).
bool containsWeb(const std::vector<std::string>& webs, const std::string& name);

} // namespace larkspan::autorun
