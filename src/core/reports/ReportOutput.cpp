#include "common/Error.h"
#include "common/ProgramFolder.h"
#include "common/SafeFile.h"
#include "common/StagedFile.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "mail/MailDraft.h"
#include "platform/Platform.h"
#include "reports/ReportChart.h"
#include "reports/ReportGenerator.h"
#include "reports/ReportTemplates.h"
#include "reports/TemplateEngine.h"

#include <filesystem>

namespace larkspan {

namespace fs = std::filesystem;

namespace {

// True when folder lies inside the program folder and one of its folders
// below the program folder is a symbolic link. A CSV folder the operator
// chose elsewhere is taken as chosen.
bool linkInsideProgramFolder(const std::string& home, const std::string& folder)
{
    const fs::path base = fs::path(home).lexically_normal();
    const fs::path relative = fs::path(folder).lexically_normal().lexically_relative(base);
    if (relative.empty() || *relative.begin() == "..") return false;
    fs::path at = base;
    for (const fs::path& part : relative) {
        if (part.empty() || part == ".") continue;
        at /= part;
        if (safefile::isSymbolicLink(at.string())) return true;
    }
    return false;
}

} // namespace

std::string ReportGenerator::writeReportFiles(const std::string& basePath)
{
    message("Assembling report...");
    long long valueColumn = -1;
    if (!text::parseInteger(text::trim(grid_.cell(1, 9)), valueColumn)) valueColumn = -1;
    if (profile_.gengraph && valueColumn >= 0) drawChart(basePath);
    std::string last;
    if (profile_.ocsv) last = writeGridDocument(basePath, DocumentKind::Csv);
    // The page is written in every run: index.html links to it whatever the
    // switches say; they decide only what is shown and mailed.
    last = writeGridDocument(basePath, DocumentKind::Html);
    return last;
}

std::string ReportGenerator::writeGridDocument(const std::string& basePath, DocumentKind kind)
{
    const TemplateEngine engine(grid_, settings_.missingDates, &throttledPump_);
    if (kind == DocumentKind::Html) {
        message("Generating HTML file...");
        std::string html;
        try {
            html = engine.renderReportPage(basePath);
        } catch (const std::exception&) {
            platform_.messages.show(MessageKind::Error, "An error was encountered while trying to assemble " +
                                                            basePath + ".html.  File creation unsuccessful.");
            return "";
        }
        if (!html.empty()) saveTextFile(platform_.messages, basePath + ".html", html);
        return html;
    }

    message("Generating CSV file...");
    const std::string name = fs::path(basePath).filename().string() + ".csv";
    std::string target = basePath + ".csv";
    if (!csvFolder_.empty()) {
        std::string folder = csvFolder_;
        if (folder.back() != '/') folder += '/';
        std::error_code ec;
        if (fs::is_directory(folder, ec) && !linkInsideProgramFolder(folder_.home(), folder)) target = folder + name;
    }
    std::string csv;
    try {
        csv = engine.renderCsv();
    } catch (const std::exception&) {
        platform_.messages.show(MessageKind::Error, "An error was encountered while trying to assemble " + target +
                                                        ".  File creation unsuccessful.");
        return "";
    }
    if (profile_.ovrwrite || !safefile::entryExists(target))
        saveTextFile(platform_.messages, target, csv);
    else
        keptCsvFiles_.push_back(fs::path(target).filename().string());
    csvFolder_ = fs::path(target).parent_path().string() + "/";
    return csv;
}

EmailCopy ReportGenerator::writeEmailCopy(const std::string& path, const std::string& html)
{
    if (html.empty()) return EmailCopy{emailCopyPath(path), ""};
    return makeEmailCopy(platform_.messages, path, html);
}

void ReportGenerator::drawChart(const std::string& basePath)
{
    GraphGrid view;
    view.rowCount = grid_.rowCount();
    view.cell = [this](int column, int row) { return grid_.cell(column, row); };
    grid_.setCell(0, 5, drawReportChart(platform_, view, profile_.g3d, basePath, grid_.cell(0, 5)));
}

void ReportGenerator::clearReportFolder(const std::string& profileName)
{
    std::error_code ec;
    const std::string folder = reportFolder(profileName);
    std::vector<fs::path> doomed;
    if (safefile::isSymbolicLink(folder)) return;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        // Links go as links, whatever they point to; their targets stay.
        if (!it->is_symlink(ec) && !it->is_regular_file(ec)) continue;
        const std::string ext = it->path().extension().string();
        // The mail draft of an earlier run goes too, so that no run leaves
        // behind a message about reports it did not make, and so do the
        // staging files of a run that was killed.
        const std::string name = it->path().filename().string();
        if (text::iequals(ext, ".html") || text::iequals(ext, ".jpg") || text::iequals(name, kMailDraftName) ||
            StagedFile::isStagingBeside(name))
            doomed.push_back(it->path());
    }
    for (const auto& file : doomed)
        fs::remove(file, ec);
}

} // namespace larkspan
