#include "autorun/ScheduleLog.h"

#include "autorun/ScheduleFiles.h"

#include "common/Error.h"
#include "common/TextFile.h"
#include "platform/Messages.h"
#include "platform/Shell.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace larkspan::autorun {

namespace {
// True when the file holds bytes and its last one ends no line.
bool endsWithoutLineBreak(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in || in.tellg() <= 0) return false;
    in.seekg(-1, std::ios::end);
    char last = 0;
    in.get(last);
    return last != '\n' && last != '\r';
}
} // namespace

bool ScheduleLog::rotateIfOversized(Shell& shell)
{
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path_, error);
    if (error || !fs::is_regular_file(status)) return false;
    const std::uintmax_t size = fs::file_size(path_, error);
    if (error || size <= kRotateAboveBytes) return false;
    return shell.moveToTrash(path_);
}

void ScheduleLog::save()
{
    if (pending_.empty()) return;
    std::string bytes = endsWithoutLineBreak(path_) ? "\r\n" : "";
    bytes += joinCrLf(pending_);
    if (!appendToFile(path_, bytes)) throw Error("The autorun log " + path_ + " could not be written.");
    pending_.clear();
}

} // namespace larkspan::autorun

namespace larkspan::autorun {

void viewScheduleLog(Messages& messages, Shell& shell, const std::string& dataDirectory)
{
    const std::string path = logFile(dataDirectory);
    std::error_code error;
    if (!fs::exists(path, error)) {
        messages.show(MessageKind::Information,
                      "The log file " + path + " has either not been created or has been removed.");
        return;
    }
    if (!shell.openTextEditor(path)) messages.show(MessageKind::Error, "Unable to open " + path + ".");
}

} // namespace larkspan::autorun
