#pragma once

#include "webs/WebSettings.h"

#include <optional>
#include <string>
#include <vector>

namespace larkspan {

class SettingsStore;

// Where the webs live: the data directory (`statsdatadir`, defaulting to
// the program folder), its "wwwstats" folder and one folder per web named
// after the web. Names compare without regard to case: a web asked for as
// "Shop" is found in the folder "shop".
class WebStore {
public:
    // The settings key of the webs and of the import switches.
    static constexpr const char* kWebsKey = "\\Software\\Quennet\\larkspan\\webs";

    // programFolder: the default data directory when `statsdatadir` is unset.
    WebStore(SettingsStore& settings, std::string programFolder);

    SettingsStore& settings() const { return settings_; }

    // The data directory, always with a trailing separator.
    std::string dataDirectory() const;
    void setDataDirectory(const std::string& folder);
    // <data directory>wwwstats, with a trailing separator.
    std::string wwwstats() const;
    // Creates a data directory (and any missing folder above it) and its
    // wwwstats folder, private to the user (0700); folders that exist keep
    // their mode. False when wwwstats is not a folder afterwards.
    static bool createDataFolders(const std::string& dataDirectory);

    // The web's folder with a trailing separator: an existing folder whose
    // name matches without regard to case, else <wwwstats><name>/.
    std::string webFolder(const std::string& name) const;
    std::string settingsFile(const std::string& name) const;
    std::string fileListFile(const std::string& name) const;
    std::string importedFilesFile(const std::string& name) const;
    // The folder's own spelling of the web's name (the name itself when
    // no folder matches).
    std::string folderName(const std::string& name) const;

    // A web exists when its folder holds its settings file.
    bool exists(const std::string& name) const;
    // The sub-folders of wwwstats, sorted by name without regard to case.
    std::vector<std::string> folderNames() const;
    // The web's settings file as the editor reads it; nullopt without one.
    std::optional<WebSettings> readSettings(const std::string& name) const;
    // The lines of the web's file list (empty when missing).
    std::vector<std::string> readFileList(const std::string& name) const;

private:
    SettingsStore& settings_;
    std::string programFolder_;
};

}  // namespace larkspan
