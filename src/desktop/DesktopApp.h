#pragma once

#include "MainWindow.h"

#include <QString>
#include <QStringList>

namespace larkspan {

class Messages;

// Resolves the program folder from "--home DIR" (or the environment), installs
// the shipped files and returns it; empty when it cannot be created.
QString desktopHome(const QStringList& arguments);

// The single-instance check: shows the refusal and returns false when
// another copy already holds the lock in the program folder.
bool claimSingleInstance(class InstanceLock& lock, Messages& messages);

class DesktopSession;

// Connects the main window to the windows and runs of the rest of the
// program (the editor, the web manager, the report run ...).
MainWindow::Hooks desktopHooks(DesktopSession& session);

inline constexpr const char* kAnotherCopyRunning = "Another copy of Larkspan(tm) Kite is currently running.";

} // namespace larkspan
