#pragma once

#include <string>

namespace larkspan {

class Messages;
class SettingsStore;

// A web's FTP values, kept under <webs key>\<web>.
struct FtpSettings {
    std::string server;  // host, optionally ":" and a port
    std::string user;
    std::string password;
    std::string proxy;
    std::string startDirectory;
    std::string fileMask;
    bool newFilesOnly = false;
    bool deleteAfterDownload = false;
    // FTPS: explicit TLS ("ftptls"); settings written before it read as off.
    bool explicitTls = false;
};

// Reads the values (missing ones empty or false). Opens the webs key
// and the web's subkey, creating them when missing. On a store failure
// shows "Error reading FTP settings for Web from registry.\n" + the reason
// and returns false.
bool readFtpSettings(SettingsStore& store, Messages& messages, const std::string& web, FtpSettings& settings);
// Writes them all, the switches as "TRUE"/"FALSE"; false after showing
// "Error writing FTP settings for Web from registry.\n" + the reason.
bool writeFtpSettings(SettingsStore& store, Messages& messages, const std::string& web, const FtpSettings& settings);
// Removes the web's subkey when there is one; true when it is gone. False
// after showing "Error Deleting FTP settings for Web from registry.\n" + the reason.
bool deleteFtpSettings(SettingsStore& store, Messages& messages, const std::string& web);

// The import window's two switches: "Create Session Tracker Database"
// (`buildSesTrack`, default true) and the Unix box (`convertunix`, default
// false). Reading falls back to the default when the store fails.
bool readBuildSessionTracker(SettingsStore& store);
bool readConvertUnix(SettingsStore& store);
// False when the value could not be written.
bool writeBuildSessionTracker(SettingsStore& store, bool value);
bool writeConvertUnix(SettingsStore& store, bool value);

}  // namespace larkspan
