#pragma once

#include "import/ImportedFiles.h"
#include "webs/WebSettings.h"

#include <string>
#include <vector>

namespace larkspan {

// What an import run needs of a web.
struct WebImportSource {
    WebSettings settings;
    ImportedFiles imported;
    // Local webs: the file list as one text (a mask, or a comma list with
    // quoting). Empty for FTP webs.
    std::string sourceText;
    // FTP webs: the file list's lines, written back after the run.
    std::vector<std::string> keptLines;
};

// Loads a web for import from its settings file (<web folder><web>.dat),
// with the imported-files list and file list beside it. Throws Error when
// the settings file is missing or damaged.
WebImportSource loadWebForImport(const std::string& settingsFile);

}  // namespace larkspan
