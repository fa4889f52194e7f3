#pragma once

#include <string>

namespace larkspan {

class Messages;
class WebStore;

// The web manager's Delete after its confirmation: removes the web's
// folder tree, then its FTP download folder (<ftpTemp>/<web>), then its
// settings key. Each step runs whatever the one before gave; a folder
// that is not there is passed over silently. True when all three are gone.
bool deleteWeb(WebStore& webs, Messages& messages, const std::string& name, const std::string& ftpTemporaryFolder);

// "Warning: This action cannot be undone. \nDo you really want to delete <web>?"
std::string deleteWebQuestion(const std::string& name);

}  // namespace larkspan
