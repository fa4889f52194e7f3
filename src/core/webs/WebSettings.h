#pragma once

#include <string>
#include <vector>

namespace larkspan {

enum class ImportType { Local = 0, Ftp = 1 };

// The web's settings file (<web>.dat): name, import type, a reserved "0",
// the server URL and the local "get new files only" switch, one per line.
struct WebSettings {
    std::string name;
    ImportType importType = ImportType::Local;
    long long reserved = 0;
    std::string serverUrl;
    bool newFilesOnly = false;
};

// The five lines as written, CR LF after each.
std::string formatWebSettings(const WebSettings& settings);

// Reads a settings file for an import: lines 1 to 3 are required and lines
// 2 and 3 must be integers; a missing line 4 is an empty server URL and a
// missing line 5 is false. Throws Error naming what is wrong; a missing
// file gives "The web <name> is invalid and cannot be imported.".
WebSettings readWebSettingsForImport(const std::string& path);

// Reads a settings file as the property editor does: whatever is there,
// an import type that is not an integer reading as local.
WebSettings readWebSettingsLenient(const std::vector<std::string>& lines);

}  // namespace larkspan
