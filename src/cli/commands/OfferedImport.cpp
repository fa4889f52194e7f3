#include "commands/OfferedImport.h"

#include "common/ProgramFolder.h"
#include "import/ImportRun.h"
#include "import/SessionTracker.h"
#include "webs/FtpSettings.h"
#include "webs/WebStore.h"

namespace larkspan {

namespace {

class SilentImportView : public ImportView {
public:
    void refresh(const ImportStatus&) override {}
    void showPanel(const std::string&, int) override {}
    void hidePanel() override {}
};

}  // namespace

ImportOutcome importWithoutWindow(CommandContext& context, const std::string& web)
{
    WebStore webs(context.settings, context.folder.homeWithSeparator());
    SilentImportView view;
    NoSessionTracker tracker;
    ImportOptions options;
    options.buildSessionTracker = readBuildSessionTracker(context.settings);
    options.temporaryFolder = context.folder.temporary();
    ImportRun run(context.platform, webs, view, tracker, options);
    return importWeb(run, context.platform, web);
}

analysis::ImportRunner offeredImport(CommandContext& context)
{
    return [&context](const std::string& web) { importWithoutWindow(context, web); };
}

}  // namespace larkspan
