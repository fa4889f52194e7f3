#pragma once

#include "Command.h"
#include "analysis/AnalysisPass.h"
#include "import/ImportRun.h"

namespace larkspan {

// One web's import run without a window or progress (the messages still
// reach the terminal), as the offered import and the autorun runner do it.
ImportOutcome importWithoutWindow(CommandContext& context, const std::string& web);

// The import an analysis pass runs when the operator says Yes to an FTP
// web's missing-days question: the web's import run without a window.
analysis::ImportRunner offeredImport(CommandContext& context);

}  // namespace larkspan
