#pragma once

namespace larkspan {

// The file dialogs' filter for web-server logs, as they are named on this
// platform: access.log, rotated access.log.1 and access.log.2.gz, access_log.
constexpr const char* kLogFileFilter = "Log files (*.log *.log.* *_log *.gz);;All files (*)";

} // namespace larkspan
