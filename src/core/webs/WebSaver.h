#pragma once

#include "webs/FtpSettings.h"
#include "webs/WebSettings.h"

#include <string>

namespace larkspan {

class Messages;
class WebStore;

// What the web property editor holds when "&Save" is pressed.
struct WebDraft {
    std::string name;
    ImportType importType = ImportType::Local;
    std::string pathField;  // comma list of paths or one mask (local webs)
    std::string serverUrl;
    bool newFilesOnly = false;  // local "Get new files only"
    FtpSettings ftp;
};

// Saves a web as the property editor does: checks the name, the FTP values
// or the file list, then writes the FTP values, the file list and the
// settings file. Every failure is shown as an error message and returns
// false. creating: a new web (refused when one of that name exists).
bool saveWeb(WebStore& webs, Messages& messages, const WebDraft& draft, bool creating);

}  // namespace larkspan
