#pragma once

#include <string>

namespace larkspan {

class SettingsStore;

// The application settings kept under \Software\Quennet\Larkspan and the
// data directory kept in the webs key.
struct AppSettings {
    static constexpr const char* kKey = "\\Software\\Quennet\\Larkspan";
    static constexpr const char* kWebsKey = "\\Software\\Quennet\\Larkspan\\webs";

    bool confirmBeforeRun = false;  // cbConfirmB4Analyzing
    bool autorun = false;           // cbAutoRun
    std::string view;               // vs: "0" list, "1" large icons, "2" small icons, "" list
    std::string toolbar;            // tb: "0" text below, "1" text right, "2" hidden, "" text below
    std::string dataDirectory;      // statsdatadir, always with a trailing separator
};

// The outcome of reading the settings: what was read (defaults where the
// read stopped) and whether every value was there.
struct AppSettingsRead {
    AppSettings settings;
    bool ok = true;
    std::string failure;  // why the read failed, for the log of a test
};

// Reads the settings. A missing Larkspan key or a missing
// cbConfirmB4Analyzing value fails the read and leaves the defaults. The
// data directory is read in any case (a failed read must not later write
// the program folder over a data directory chosen before); a missing or
// blank value becomes programFolder and is written back. Throws nothing
// for missing values; a store that cannot be written counts as a failure.
AppSettingsRead readAppSettings(SettingsStore& store, const std::string& programFolder);

// Writes all five values, creating the keys. Throws Error when the store
// cannot be written.
void saveAppSettings(SettingsStore& store, const AppSettings& settings);

}  // namespace larkspan
