#include "import/ImportRun.h"

#include "common/Error.h"
#include "common/FolderListing.h"
#include "common/SafeFile.h"
#include "common/TextFile.h"
#include "common/WorkerThreads.h"
#include "import/FtpFetch.h"
#include "import/LineReader.h"
#include "import/ReadAheadLines.h"
#include "import/SessionTracker.h"
#include "platform/EventPump.h"
#include "platform/Platform.h"
#include "settings/FileLock.h"
#include "webs/FtpSettings.h"
#include "webs/ServerAddress.h"
#include "webs/WebFileList.h"
#include "webs/WebImportSource.h"
#include "webs/WebName.h"
#include "webs/WebStore.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace fs = std::filesystem;

namespace larkspan {

namespace {

constexpr std::size_t kUnixProbeBytes = 10240;

std::string fileName(const std::string& path)
{
    return fs::path(path).filename().string();
}

// A file beside the imported-files list with another extension.
std::string besideList(const ImportedFiles& list, const std::string& extension)
{
    fs::path path(list.path());
    path.replace_extension(extension);
    return path.string();
}

std::string inUseQuestion(const std::string& path, std::uint64_t size)
{
    return "The file: " + path + " cannot be opened for import." +
           "\nIt may be in use by the Web server or another process." +
           "\nThe file's size is :" + std::to_string(size) +
           "\nWould you like to make a local, temporary copy of it that will be removed after the process?" +
           "\nIf not, this file will be skipped and the process will continue.";
}

bool isNonRegular(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

// Copies a source into a new private file; whatever stood at the copy's
// name (a planted link included) is removed first, never written through.
bool copyPrivately(const std::string& from, const std::string& to)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) return false;
    ::unlink(to.c_str());
    const int out =
        ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, safefile::kPrivateFileMode);
    bool ok = out >= 0;
    std::vector<char> block(1 << 20);
    while (ok) {
        const ssize_t n = ::read(in, block.data(), block.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = safefile::writeAll(out, std::string_view(block.data(), static_cast<std::size_t>(n)));
    }
    ::close(in);
    if (out >= 0 && ::close(out) != 0) ok = false;
    if (!ok) ::unlink(to.c_str());
    return ok;
}

// Reads up to the content length an earlier run imported and puts the
// directive lines met there (W3C directives, a Netscape format line) in
// front of the rest, so the new lines are read in their header's context.
// A repeated directive keeps only its latest place.
void skipImported(LineReader& reader, std::uint64_t length, const std::function<void()>& poll)
{
    reader.setLimit(length);
    std::vector<std::string> directives;
    std::unordered_map<std::string, std::size_t> position;
    std::string_view line;
    unsigned lines = 0;
    while (reader.next(line)) {
        if (++lines % 4096 == 0) poll();
        if (line.empty() || (line.front() != '#' && line.rfind("format=", 0) != 0)) continue;
        std::string text(line);
        if (const auto found = position.find(text); found != position.end()) directives[found->second].clear();
        position[text] = directives.size();
        directives.push_back(std::move(text));
    }
    reader.clearLimit();
    std::string preamble;
    for (const std::string& directive : directives)
        if (!directive.empty()) preamble += directive + "\n";
    reader.prepend(preamble);
}

} // namespace

ImportRun::ImportRun(Platform& platform, WebStore& webs, ImportView& view, SessionTrackerBuilder& tracker,
                     ImportOptions options)
    : platform_(platform), webs_(webs), view_(view), tracker_(tracker), options_(std::move(options)), writer_(journal_)
{
}

bool ImportRun::isCancelled() const
{
    return platform_.cancel.requested();
}

void ImportRun::refresh()
{
    status_.recordStatus = std::to_string(conversion_.linesHandled) + " records imported...";
    status_.linesHandled = conversion_.linesHandled;
    status_.filePercent = -1;
    if (reading_ != nullptr) {
        const std::uint64_t position = std::min(reading_->filePosition(), readingSize_);
        status_.filePercent = readingSize_ == 0 ? 100 : static_cast<int>(position * 100 / readingSize_);
    }
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

    const std::string settingsFile = webs_.settingsFile(web);
    WebImportSource source = loadWebForImport(settingsFile);
    // One import per web at a time: the lock dies with its holder.
    FileLock lock(besideList(source.imported, ".lock"), options_.lockWaitMs);
    if (!lock.acquire())
        throw Error("The web " + web +
                    " is being imported by another program. Try again when that import has finished.");
    // What a run that ended abruptly left under way is finished or undone
    // before anything else, and the lists are read again under the lock.
    journal_.setPath(besideList(source.imported, ".lkjn"));
    journal_.recover(webs_.webFolder(web));
    source = loadWebForImport(settingsFile);
    trackerBacklog_.load(besideList(source.imported, ".lktd"), webs_.webFolder(web));
    // A settings file written by hand or by an older version may hold the
    // address with its scheme, or with blanks that would split every record.
    conversion_.serverUrl = serverAddressOf(source.settings.serverUrl);
    if (const auto problem = serverAddressProblem(conversion_.serverUrl))
        throw Error("The web " + web + " cannot be imported. " + *problem);

    return importFiles(web, source);
}

ImportOutcome ImportRun::importFiles(const std::string& web, WebImportSource& source)
{
    const bool ftpWeb = source.settings.importType == ImportType::Ftp;
    byContent_ = !ftpWeb && source.settings.newFilesOnly && hasWildcard(source.sourceText);
    fingerprints_ = SourceFingerprints(besideList(source.imported, ".lkfp"));
    if (byContent_) fingerprints_.load();
    // A web imported before fingerprints were kept: its list still says
    // which files were read, and to which size.
    legacyList_ = byContent_ && !fs::exists(fingerprints_.path()) && !source.imported.entries().empty();
    importedList_ = &source.imported;
    writer_.startRun(webs_.webFolder(web), byContent_);
    // With a second thread lines are read ahead of the conversion; day
    // files are written behind it only with a third, since on two cores a
    // third thread costs more than the writes it takes over.
    threads_ = options_.threads != 0 ? options_.threads : workerThreadCount();
    writer_.writeInBackground(threads_ > 2);

    std::vector<SourceFile> files;
    if (ftpWeb) {
        const ImportOutcome fetched = fetchFtpFiles(web, source, files);
        if (fetched != ImportOutcome::Completed) return fetched;
    } else {
        files = localFiles(source);
    }
    if (files.empty()) {
        // Days an earlier run left without their tracker files get them now.
        if (options_.buildSessionTracker && !trackerBacklog_.empty() && !buildSessionTracker(web)) return cancelled();
        if (!platform_.unattended) platform_.messages.show(MessageKind::Information, "There are no files to import.");
        return ImportOutcome::Cancelled;
    }

    ThrottledPump pump(platform_.pump, options_.pumpInterval);
    status_.filesTotal = static_cast<long long>(files.size());
    // Days are built ahead while the files are imported; however the run
    // ends, what its tracker step did not take is dropped.
    struct AheadEnd {
        SessionTrackerBuilder& tracker;
        ~AheadEnd() { tracker.dropAhead(); }
    } aheadEnd{tracker_};
    lastFileDays_.clear();
    if (options_.buildSessionTracker) tracker_.startAhead(webs_.webFolder(web), webs_.folderName(web));
    try {
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (!importFile(files[i], source)) break;
            status_.filesDone = static_cast<long long>(i + 1);
            refresh();
            pump.force();
            if (isCancelled()) break; // the files left are not taken
        }
    } catch (const Cancelled&) {
        // The file under way has been rolled back. A cancellation the
        // conversion raised itself (a No to its question) was announced there.
        if (!isCancelled()) return ImportOutcome::Cancelled;
    }
    status_.currentFile.clear();
    status_.fileStatus.clear();
    // Kept as loaded; a failure to write it changes nothing for the run.
    if (ftpWeb) writeWholeFile(webs_.fileListFile(web), joinCrLf(source.keptLines));
    if (isCancelled()) return cancelled();

    if (options_.buildSessionTracker) {
        if (!buildSessionTracker(web) || isCancelled()) return cancelled();
    }
    status_ = ImportStatus{};
    webName_.clear();
    view_.refresh(status_);
    return ImportOutcome::Completed;
}

bool ImportRun::buildSessionTracker(const std::string& web)
{
    ThrottledPump pump(platform_.pump, options_.pumpInterval);
    const std::vector<std::string> days = trackerBacklog_.days();
    tracker_.openCache(webs_.webFolder(web), webs_.folderName(web));
    status_.filesTotal = static_cast<long long>(days.size());
    status_.filesDone = 0;
    conversion_.linesHandled = 0;
    const bool completed = tracker_.buildDays(days, [&](const TrackerStep& step) {
        const std::string caption = "Building Session Tracker Database for \n" + days[step.day];
        if (status_.currentFile != caption) {
            status_.currentFile = caption;
            pump.force();
        }
        status_.filesDone = static_cast<long long>(step.daysDone);
        conversion_.linesHandled = step.linesRead;
        refresh();
    }) && !isCancelled();
    tracker_.closeCache();
    if (completed) trackerBacklog_.clear();
    return completed;
}

ImportOutcome ImportRun::fetchFtpFiles(const std::string& web, const WebImportSource& source,
                                       std::vector<SourceFile>& files)
{
    FtpSettings ftp;
    if (!readFtpSettings(webs_.settings(), platform_.messages, webs_.folderName(web), ftp))
        return ImportOutcome::Failed;
    if (ftp.server.empty() || ftp.user.empty() || ftp.password.empty() || ftp.startDirectory.empty() ||
        ftp.fileMask.empty()) {
        platform_.messages.show(
            MessageKind::Error,
            "Error\nSome or all of the FTP settings were not found.\nPlease make sure that the Web "
            "has settings for: \n\tFTP Server Address\n\tUsername\n\tPassword\n\tLog File Directory "
            "on FTP server\n\tFile Pattern Mask\nCancelling Import");
        return ImportOutcome::Cancelled;
    }
    if (options_.ftpDownloadFolder.empty()) throw Error("There is no folder to download FTP files into.");
    FtpFetch fetch(platform_, view_, status_.caption, options_.pumpInterval);
    FtpFetchResult fetched =
        fetch.fetch(ftp, source.imported, joinPath(options_.ftpDownloadFolder, webs_.folderName(web)));
    if (fetched.cancelled || isCancelled()) return cancelled();
    view_.hidePanel();
    files = std::move(fetched.files);
    return ImportOutcome::Completed;
}

std::vector<SourceFile> ImportRun::localFiles(const WebImportSource& source)
{
    std::string text = source.sourceText;
    if (text.empty() && options_.chooseFiles) text = options_.chooseFiles();
    if (text.empty()) return {};
    if (!byContent_) return listSourceFiles(text, source.settings.newFilesOnly, source.imported);
    // By content: a file's name and size say nothing certain (a new log can
    // have the size the old one had); its first bytes do.
    std::vector<SourceFile> files = listSourceFiles(text, false, source.imported);
    std::erase_if(files, [&](const SourceFile& file) { return holdsNothingNew(file, source.imported); });
    return files;
}

bool ImportRun::holdsNothingNew(const SourceFile& file, const ImportedFiles& imported)
{
    LineReader reader(SourceFingerprints::kHeadBytes);
    if (!reader.open(file.path)) return false;
    // A compressed log is never written again once it is made.
    if (reader.compressed()) return imported.isImported(file.path, file.size);
    try {
        const std::string_view head = reader.peek(SourceFingerprints::kHeadBytes);
        const auto length = fingerprints_.importedLength(head);
        if (!length && legacyList_ && imported.isImported(file.path, file.size)) {
            fingerprints_.record(head, file.size, file.path); // saved with the next file imported
            return true;
        }
        return length && *length == file.size;
    } catch (const SourceReadError&) {
        return false; // reported when the file is imported
    }
}

bool ImportRun::openSource(const std::string& path, LineReader& reader, std::string& temporaryCopy)
{
    if (reader.open(path)) return true;
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    const Answer answer =
        platform_.messages.ask(MessageKind::Warning, inUseQuestion(path, ec ? 0 : size), Buttons::YesNoCancel);
    if (answer == Answer::Cancel) {
        platform_.cancel.request();
        return false;
    }
    if (answer != Answer::Yes) return false;
    // A "~tmp" that is a link is not the program's folder: no copy there.
    const bool folderOk = safefile::makePrivateFolder(options_.temporaryFolder);
    temporaryCopy = joinPath(options_.temporaryFolder, fileName(path));
    if (!folderOk || !copyPrivately(path, temporaryCopy)) {
        temporaryCopy.clear();
        platform_.messages.show(MessageKind::Error, "The file: " + path + " could not be copied.\nIt will be skipped.");
        return false;
    }
    if (reader.open(temporaryCopy)) return true;
    platform_.messages.show(MessageKind::Error,
                            "The file: " + path + " could not be opened for import.\nIt will be skipped.");
    return false;
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
    // A FIFO or device would never end (or never start).
    if (isNonRegular(path)) {
        platform_.messages.show(MessageKind::Error, "The file: " + path + " cannot be opened for import." +
                                                        "\nIt is not a regular file." +
                                                        "\nThis file will be skipped and the process will continue.");
        return true;
    }

    // The source itself is only ever read; a source that cannot be opened
    // may be copied to "~tmp" and read from there.
    std::string temporaryCopy;
    struct CopyRemover {
        std::string& copy;
        ~CopyRemover()
        {
            std::error_code ignored;
            if (!copy.empty()) fs::remove(copy, ignored);
        }
    } removeCopy{temporaryCopy};
    LineReader reader;
    if (!openSource(path, reader, temporaryCopy)) return !isCancelled();

    journal_.begin();
    try {
        const std::string_view probe = reader.peek(kUnixProbeBytes);
        if (!probe.empty()) unixBox_ = probe.find('\r') == std::string_view::npos;
        convertSource(file, reader, temporaryCopy.empty() ? path : temporaryCopy);
        commitFile(file, source);
    } catch (const SourceReadError& e) {
        rollbackFile();
        platform_.messages.show(MessageKind::Error, "The file: " + path + " could not be read.\n" + e.what() +
                                                        "\nThis file will be skipped and the process will continue.");
    } catch (...) {
        rollbackFile();
        throw;
    }
    return true;
}

void ImportRun::rollbackFile()
{
    writer_.discardWrites();
    const std::vector<std::string> touched = writer_.sourceFileDays();
    journal_.rollback();
    writer_.rollbackSourceFile();
    // A day appended to in place has been cut back: a build that read it
    // meanwhile may have seen the lines that are gone.
    tracker_.daysWritten(touched);
}

void ImportRun::convertSource(const SourceFile& file, LineReader& reader, const std::string& readPath)
{
    ThrottledPump pump(platform_.pump, options_.pumpInterval);
    unsigned lines = 0;
    auto poll = [&] {
        // The flag only changes while the pump runs; a clock read every 32
        // lines is plenty.
        if (++lines % 32 == 0) pump.poll();
        checkCancel();
    };
    reading_ = &reader;
    readingSize_ = file.size;
    struct ReadingEnd {
        const LineSource*& reading;
        ~ReadingEnd() { reading = nullptr; }
    } readingEnd{reading_};

    fileRecords_ = 0;
    fileGaveNothing_ = false;
    std::string head;
    std::uint64_t imported = 0;
    if (byContent_) {
        head.assign(reader.peek(SourceFingerprints::kHeadBytes));
        const auto known = fingerprints_.importedLength(head);
        imported = known.value_or(0);
        // Listed before fingerprints were kept: read past the listed size.
        if (!known && legacyList_ && !reader.compressed())
            imported = importedList_->importedSize(file.path).value_or(0);
        if (imported > 0) skipImported(reader, imported, poll);
    }
    // A file that holds nothing past what was imported is not read again.
    const bool convert = imported == 0 || !reader.atEnd();
    convertLines(reader, file, readPath, convert, byContent_, poll);
    // The reader is the calling thread's again: what it read is final.
    if (byContent_) fingerprints_.record(head, reader.contentRead(), file.path);
}

void ImportRun::convertLines(LineReader& reader, const SourceFile& file, const std::string& readPath, bool convert,
                             bool drain, const std::function<void()>& poll)
{
    std::optional<ReadAheadLines> ahead;
    if (threads_ > 1 && file.size >= options_.readAheadFrom && (convert || drain))
        ahead.emplace(reader, readAheadBlocks_);
    LineSource& lines = ahead ? static_cast<LineSource&>(*ahead) : reader;
    reading_ = &lines;
    if (convert) {
        LogConverter converter(platform_.messages, writer_, conversion_,
                               {poll, [&](const std::string&) { refresh(); }});
        converter.convert(lines, readPath);
        writer_.flush();
        writer_.finishWrites();
        fileRecords_ = converter.recordsWritten();
        fileGaveNothing_ = converter.gaveNothing();
    }
    if (drain) {
        // A file the conversion left early (rejected) counts as read whole.
        std::string_view rest;
        while (lines.next(rest))
            poll();
    }
    reading_ = &reader;
}

void ImportRun::commitFile(const SourceFile& file, WebImportSource& source)
{
    // A download is recorded by its name on the server and has served its
    // purpose once committed.
    const bool downloaded = source.settings.importType == ImportType::Ftp;
    source.imported.record(downloaded ? fileName(file.path) : file.path, file.size);
    if (file.size != 0) journal_.stageReplacement(source.imported.path(), source.imported.text());
    if (byContent_) journal_.stageReplacement(fingerprints_.path(), fingerprints_.text());
    const std::vector<std::string> days = writer_.sourceFileDays();
    if (options_.buildSessionTracker && trackerBacklog_.add(days))
        journal_.stageReplacement(trackerBacklog_.path(), trackerBacklog_.text());
    journal_.commit();
    writer_.commitSourceFile();
    if (options_.buildSessionTracker) buildDaysAhead(days);
    recordsImported_ += fileRecords_;
    if (fileGaveNothing_) filesWithoutRecords_.push_back(file.path);
    if (downloaded) {
        std::error_code ignored;
        fs::remove(file.path, ignored);
    }
}

void ImportRun::buildDaysAhead(const std::vector<std::string>& fileDays)
{
    tracker_.daysWritten(fileDays);
    // Logs come in order of time: the days of the file before that this
    // one did not write to are most likely whole.
    std::vector<std::string> whole;
    for (const std::string& day : lastFileDays_)
        if (std::find(fileDays.begin(), fileDays.end(), day) == fileDays.end()) whole.push_back(day);
    tracker_.buildAhead(whole);
    lastFileDays_ = fileDays;
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

} // namespace larkspan
