#pragma once

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace larkspan {

class DesktopSession;
class ProfileEditor;

// Shows the editor modally and returns its result; tests drive it instead.
using ShowEditor = std::function<int(ProfileEditor& editor)>;

// Opens the profile editor for the main window: on a new profile (name
// empty) from the base profile's table and lists, else on the named
// profile's files with the name in the name field and the caption. Returns
// the editor's name when it closed with OK (a Run Report also leaves the
// session's run-after-edit flag set), nothing when it closed otherwise or
// could not open; a profile that cannot be read is reported with the
// reader's message and the editor does not open.
std::optional<std::string> editProfile(DesktopSession& session, const std::string& name, QWidget* parent,
                                       const ShowEditor& show = {});

} // namespace larkspan
