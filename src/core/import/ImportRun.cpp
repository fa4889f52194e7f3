#include "import/ImportRun.h"

#include "common/Error.h"
#include "common/FolderListing.h"
#include "import/LineReader.h"
#include "import/SessionTracker.h"
#include "platform/EventPump.h"
#include "platform/Platform.h"
#include "webs/FtpSettings.h"
#include "webs/WebImportSource.h"
#include "webs/WebName.h"
#include "webs/WebStore.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace larkspan {

namespace {

constexpr std::size_t kUnixProbeBytes = 10240;
const char* const kConverting = "Converting line ends...\nPlease Wait";

std::string fileName(const std::string& path) { return fs::path(path).filename().string(); }

std::string inUseQuestion(const std::string& path, std::uint64_t size)
{
    return "The file: " + path + " cannot be opened for import." +
           "\nIt may be in use by the Web server or another process." + "\nThe file's size is :" + std::to_string(size) +
           "\nWould you like to make a local, temporary copy of it that will be removed after the process?" +
           "\nIf not, this file will be skipped and the process will continue.";
}

}  // namespace

ImportRun::ImportRun(Platform& platform, WebStore& webs, ImportView& view, SessionTrackerBuilder& tracker,
                     ImportOptions options)
    : platform_(platform), webs_(webs), view_(view), tracker_(tracker), options_(std::move(options)),
      writer_(platform.messages)
{
}

bool ImportRun::isCancelled() const { return platform_.cancel.requested(); }

void ImportRun::refresh()
{
    status_.recordStatus = std::to_string(conversion_.linesHandled) + " records imported...";
    status_.linesHandled = conversion_.linesHandled;
    view_.refresh(status_);
}

void ImportRun::checkCancel()
{
    if (isCancelled()) throw Cancelled();
}

ImportOutcome ImportRun::cancelled()
{
    status_.filesDone = 0;
    status_.filesTotal = 0;
    conversion_.linesHandled = 0;
    platform_.messages.show(MessageKind::Information, "Import cancelled.");
    refresh();
    return ImportOutcome::Cancelled;
}

ImportOutcome ImportRun::run(const std::string& web)
{
    if (web.empty()) throw Error("There is no web specified to import.");
    // A name that could point outside the wwwstats folder names no web.
    if (webNameProblem(web)) throw Error("The web " + web + " is invalid and cannot be imported.");
    platform_.cancel.reset();
    webName_ = web;
    status_ = ImportStatus{};
    status_.caption = "Importing " + web;
    status_.filesTotal = 1;
    conversion_ = ConversionRun{};
    conversion_.linesInBatch = 1;
    unixBox_ = false;
    recordsImported_ = 0;
    filesWithoutRecords_.clear();

    WebImportSource source = loadWebForImport(webs_.settingsFile(web));
    conversion_.serverUrl = source.settings.serverUrl;
    writer_.startRun(webs_.webFolder(web));

    if (source.settings.importType == ImportType::Ftp) return ftpRun(web, source);

    std::vector<SourceFile> files = localFiles(source);
    if (files.empty()) {
        if (!platform_.unattended) platform_.messages.show(MessageKind::Information, "There are no files to import.");
        return ImportOutcome::Cancelled;
    }

    ThrottledPump pump(platform_.pump, options_.pumpInterval);
    status_.filesTotal = static_cast<long long>(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!importFile(files[i], source)) break;
        status_.filesDone = static_cast<long long>(i + 1);
        refresh();
        pump.force();
        if (isCancelled()) break;  // the files left are not taken
    }
    status_.currentFile.clear();
    status_.fileStatus.clear();
    if (isCancelled()) return cancelled();

    if (options_.buildSessionTracker) {
        const auto& days = writer_.runDays();
        tracker_.openCache(webs_.webFolder(web), webs_.folderName(web));
        status_.filesTotal = static_cast<long long>(days.size());
        status_.filesDone = 0;
        conversion_.linesHandled = 0;
        for (const auto& day : days) {
            status_.currentFile = "Building Session Tracker Database for \n" + day;
            pump.force();
            if (isCancelled()) {
                tracker_.closeCache();
                return cancelled();
            }
            tracker_.buildDay(day);
            ++status_.filesDone;
            refresh();
        }
        tracker_.closeCache();
    }
    status_ = ImportStatus{};
    webName_.clear();
    view_.refresh(status_);
    return ImportOutcome::Completed;
}

ImportOutcome ImportRun::ftpRun(const std::string& web, const WebImportSource&)
{
    FtpSettings ftp;
    if (!readFtpSettings(webs_.settings(), platform_.messages, webs_.folderName(web), ftp)) return ImportOutcome::Failed;
    if (ftp.server.empty() || ftp.user.empty() || ftp.password.empty() || ftp.startDirectory.empty() ||
        ftp.fileMask.empty()) {
        platform_.messages.show(MessageKind::Error,
                                "Error\nSome or all of the FTP settings were not found.\nPlease make sure that the Web "
                                "has settings for: \n\tFTP Server Address\n\tUsername\n\tPassword\n\tLog File Directory "
                                "on FTP server\n\tFile Pattern Mask\nCancelling Import");
        return ImportOutcome::Cancelled;
    }
    // Fetching comes with the FTP client; until then the stand-in says
    // retrieval is not available and nothing is imported.
    FtpLogon logon;
    logon.host = ftp.server;
    logon.user = ftp.user;
    logon.password = ftp.password;
    logon.proxy = ftp.proxy;
    try {
        platform_.ftp.logon(logon);
        platform_.ftp.logoff();
        platform_.messages.show(MessageKind::Error, "Retrieving logs by FTP is not available yet. Nothing was imported.");
    } catch (const std::exception& e) {
        platform_.messages.show(MessageKind::Error, std::string(e.what()) + "\nNothing was imported for the web " + web + ".");
    }
    return ImportOutcome::Cancelled;
}

std::vector<SourceFile> ImportRun::localFiles(const WebImportSource& source)
{
    std::string text = source.sourceText;
    if (text.empty() && options_.chooseFiles) text = options_.chooseFiles();
    if (text.empty()) return {};
    return listSourceFiles(text, source.settings.newFilesOnly, source.imported);
}

bool ImportRun::importFile(const SourceFile& file, WebImportSource& source)
{
    const std::string& path = file.path;
    status_.currentFile = path;
    status_.fileStatus = "Importing " + fileName(path);
    refresh();

    std::error_code ec;
    if (!fs::exists(path, ec)) {
        platform_.messages.show(MessageKind::Error, "The file: " + path + " cannot be opened for import." +
                                                        "\nIt does not exist." +
                                                        "\nThis file will be skipped and the process will continue.");
        return true;
    }

    // The source itself is only ever read; a source that cannot be opened
    // may be copied to "~tmp" and read from there.
    std::string temporaryCopy;
    auto removeCopy = [&] {
        if (!temporaryCopy.empty()) fs::remove(temporaryCopy, ec);
    };
    LineReader reader;
    if (!reader.open(path)) {
        const auto size = fs::file_size(path, ec);
        const Answer answer =
            platform_.messages.ask(MessageKind::Warning, inUseQuestion(path, ec ? 0 : size), Buttons::YesNoCancel);
        if (answer == Answer::Cancel) {
            platform_.cancel.request();
            return false;
        }
        if (answer != Answer::Yes) return true;
        fs::create_directories(options_.temporaryFolder, ec);
        temporaryCopy = joinPath(options_.temporaryFolder, fileName(path));
        if (!fs::copy_file(path, temporaryCopy, fs::copy_options::overwrite_existing, ec) || ec) {
            fs::remove(temporaryCopy, ec);
            temporaryCopy.clear();
            platform_.messages.show(MessageKind::Error, "The file: " + path + " could not be copied.\nIt will be skipped.");
            return true;
        }
        fs::permissions(temporaryCopy, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
        if (!reader.open(temporaryCopy)) {
            removeCopy();
            platform_.messages.show(MessageKind::Error,
                                    "The file: " + path + " could not be opened for import.\nIt will be skipped.");
            return true;
        }
    }

    const std::string_view probe = reader.peek(kUnixProbeBytes);
    if (!probe.empty()) unixBox_ = probe.find('\r') == std::string_view::npos;
    // Line ends are converted while reading; the panel still says so.
    if (unixBox_) view_.showPanel(kConverting, 0);

    ThrottledPump pump(platform_.pump, options_.pumpInterval);
    unsigned lines = 0;
    LogConverter converter(platform_.messages, writer_, conversion_,
                           {[&] {
                                // The flag only changes while the pump runs; a
                                // clock read every 32 lines is plenty.
                                if (++lines % 32 == 0) pump.poll();
                                checkCancel();
                            },
                            [&](const std::string&) { refresh(); }});
    try {
        converter.convert(reader, temporaryCopy.empty() ? path : temporaryCopy);
    } catch (...) {
        removeCopy();
        if (unixBox_) view_.hidePanel();
        throw;
    }
    if (unixBox_) {
        view_.showPanel(kConverting, 100);
        view_.hidePanel();
    }
    recordsImported_ += converter.recordsWritten();
    if (converter.gaveNothing()) filesWithoutRecords_.push_back(path);
    source.imported.record(path, file.size);
    if (file.size != 0 && !source.imported.save())
        platform_.messages.show(MessageKind::Error, "Unable to create file " + source.imported.path());
    removeCopy();
    return true;
}

ImportOutcome importWeb(ImportRun& run, Platform& platform, const std::string& web)
{
    try {
        const ImportOutcome outcome = run.run(web);
        if (outcome == ImportOutcome::Completed && run.recordsImported() == 0 && !run.filesWithoutRecords().empty()) {
            platform.messages.show(MessageKind::Error, "Error Importing Files\nNothing was imported: no file holds a "
                                                       "record with a valid date in a layout the import reads.");
            return ImportOutcome::Failed;
        }
        if (outcome == ImportOutcome::Completed && !platform.unattended)
            platform.messages.show(MessageKind::Information, "Import Complete");
        return outcome;
    } catch (const Cancelled&) {
        return ImportOutcome::Cancelled;
    } catch (const std::exception& e) {
        platform.messages.show(MessageKind::Error, std::string("Error Importing Files\n") + e.what());
        return ImportOutcome::Failed;
    }
}

}  // namespace larkspan
