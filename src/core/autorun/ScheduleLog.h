#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace larkspan {
class Shell;
}

namespace larkspan::autorun {

// "Schedule.log": plain text, lines ending with CR LF. Lines are kept until
// the next save, which appends them, so what earlier runs wrote is never
// rewritten or lost.
class ScheduleLog {
  public:
    static constexpr std::uintmax_t kRotateAboveBytes = 5'120'000;
    static constexpr const char* kRule = "----------------------------------------------------------";

    explicit ScheduleLog(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }
    // Moves a log larger than 5,120,000 bytes to the trash without asking;
    // true when it was moved.
    bool rotateIfOversized(Shell& shell);

    void add(std::string line) { pending_.push_back(std::move(line)); }
    // Appends the lines added since the last save (after a line break when
    // the file does not end with one). Throws Error when the file cannot be
    // written; the lines stay for the next save.
    void save();

    const std::vector<std::string>& pending() const { return pending_; }

  private:
    std::string path_;
    std::vector<std::string> pending_;
};

} // namespace larkspan::autorun

namespace larkspan {
class Messages;
}

namespace larkspan::autorun {

// "&View Log...": opens the log in the desktop's text editor, or says why
// it cannot ("Unable to open <path>." or that the log has not been created
// or has been removed).
void viewScheduleLog(Messages& messages, Shell& shell, const std::string& dataDirectory);

} // namespace larkspan::autorun
