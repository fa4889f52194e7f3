#pragma once

#include <string>

class QWidget;

namespace larkspan {

class DesktopSession;

// Runs the report of the session's current profile: the report generator
// with the analysis pass over the session's data directory. A Yes to an
// FTP web's missing-days question imports the web in the import window.
// Failures that end the run are shown by the run itself or thrown as Error.
void runReport(DesktopSession& session, QWidget* parent);

// Imports one web in the import window (modal); true when it was closed
// with "Close" after a finished run.
bool importInWindow(DesktopSession& session, const std::string& web, QWidget* parent);

}  // namespace larkspan
