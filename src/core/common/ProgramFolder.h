#pragma once

#include <string>

namespace larkspan {

// The folder that holds what the program keeps "beside the executable":
// "My Profiles", "Reports", "syss", "~tmp", "FTPTemp", the help pages and
// the settings file. Paths returned end without a separator unless named
// otherwise.
class ProgramFolder {
public:
    // home: the program folder itself; shippedData: the read-only folder
    // the build or installation ships (may be empty).
    ProgramFolder(std::string home, std::string shippedData);

    // --home DIR, else $LARKSPAN_HOME, else $XDG_DATA_HOME/larkspan
    // (~/.local/share/larkspan).
    static std::string resolveHome(const std::string& homeOption);
    // ../share/larkspan next to the folder of the running executable.
    static std::string shippedDataBeside(const std::string& executablePath);

    const std::string& home() const { return home_; }
    const std::string& shippedData() const { return shipped_; }
    // The home with a trailing separator, the default data directory.
    std::string homeWithSeparator() const;
    std::string settingsFile() const;
    std::string myProfiles() const;
    std::string reports() const;
    std::string syss() const;
    std::string temporary() const;
    std::string ftpTemporary() const;
    std::string help() const;
    std::string path(const std::string& relative) const;

    // Creates the folder and copies in every shipped file that is missing;
    // files already there are never overwritten. Returns how many files were
    // copied. Throws Error when the folder cannot be created.
    int install() const;

private:
    std::string home_;
    std::string shipped_;
};

}  // namespace larkspan
