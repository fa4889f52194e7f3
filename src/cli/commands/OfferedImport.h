#pragma once

#include "Command.h"
#include "analysis/AnalysisPass.h"

namespace larkspan {

// The import an analysis pass runs when the operator says Yes to an FTP
// web's missing-days question: the web's import run without a window.
analysis::ImportRunner offeredImport(CommandContext& context);

}  // namespace larkspan
