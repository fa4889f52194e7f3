#include "ReportRunner.h"

#include "DesktopSession.h"
#include "ImportWindow.h"
#include "analysis/AnalysisPass.h"
#include "analysis/StatisticsTable.h"
#include "reports/ReportGenerator.h"

namespace larkspan {

bool importInWindow(DesktopSession& session, const std::string& web, QWidget* parent)
{
    ImportWindow window(session, web, parent);
    return window.execute();
}

void runReport(DesktopSession& session, QWidget* parent)
{
    const std::string dataDirectory = session.app.dataDirectory;
    const analysis::ImportRunner importRun = [&session, parent](const std::string& web) {
        importInWindow(session, web, parent);
    };
    AnalysisPass pass = [&session, dataDirectory, importRun](const profiles::RunProfile& profile,
                                                             analysis::StatisticsTable& table) {
        return analysis::runAnalysisPass(session.platform(), session.folder(),
                                         analysis::PassInput::from(profile, dataDirectory), table, importRun);
    };
    ReportGenerator generator(session.platform(), session.folder(), dataDirectory, pass);
    generator.runReport(session.currentProfile);
}

} // namespace larkspan
