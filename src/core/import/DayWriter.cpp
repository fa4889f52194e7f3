#include "import/DayWriter.h"

#include "common/Dates.h"
#include "common/SafeFile.h"
#include "import/ImportJournal.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace larkspan {

namespace {

constexpr std::size_t kFlushBytes = 8 << 20;
// Header bytes a source file may write in full before blocks are cut down,
// and the share of record bytes added to that allowance.
constexpr long long kHeaderAllowance = 1 << 20;
constexpr long long kHeaderBytesPerRecordByte = 2;

// The digits of a fixed-width field; -1 when any character is not a digit.
int digits(std::string_view s)
{
    if (s.empty()) return -1;
    int value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::uint64_t hashOf(std::string_view text)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text)
        hash = (hash ^ c) * 1099511628211ull;
    return hash | 1; // 0 stands for "no block yet"
}

bool startsWithNoCase(std::string_view line, std::string_view prefix)
{
    if (line.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(line[i])) != prefix[i]) return false;
    return true;
}

// The lines of a header block readers rely on.
struct EssentialLines {
    std::string_view fileFormat, delim, fields, date;
};

EssentialLines essentialLines(std::string_view header)
{
    EssentialLines lines;
    std::size_t from = 0;
    while (from <= header.size()) {
        std::size_t end = header.find("\r\n", from);
        if (end == std::string_view::npos) end = header.size();
        const std::string_view line = header.substr(from, end - from);
        if (startsWithNoCase(line, "#fileformat:"))
            lines.fileFormat = line;
        else if (startsWithNoCase(line, "#delim:"))
            lines.delim = line;
        else if (startsWithNoCase(line, "#fields:"))
            lines.fields = line;
        else if (startsWithNoCase(line, "#date:"))
            lines.date = line;
        from = end + 2;
    }
    return lines;
}

void appendLine(std::string& out, std::string_view line)
{
    if (line.empty()) return;
    out.append(line);
    out += "\r\n";
}

[[noreturn]] void writeFailed(const std::string& path)
{
    throw ImportWriteError("Error Writing Data to File: " + path + ": " + std::strerror(errno));
}

} // namespace

void DayWriter::startRun(const std::string& webFolder, bool appendOnly)
{
    webFolder_ = webFolder;
    appendOnly_ = appendOnly;
    writtenDays_.clear();
    daysListed_.clear();
    runDays_.clear();
    staged_.clear();
    stagedOrder_.clear();
    startSourceFile();
}

void DayWriter::startSourceFile()
{
    currentKey_ = 0;
    current_ = nullptr;
    buffer_.clear();
    if (staged_.empty()) headerBudget_ = kHeaderAllowance;
}

DayWriter::StagedDay& DayWriter::stage(int key, std::string_view year, std::string_view month, std::string_view day)
{
    auto found = staged_.find(key);
    if (found != staged_.end()) return found->second;
    StagedDay staged;
    std::string yearFolder = webFolder_;
    yearFolder.append(year);
    staged.target = yearFolder;
    staged.target += "/LKLT";
    staged.target.append(month);
    staged.target.append(day);
    staged.target += ".log";
    if (!safefile::makePrivateFolder(yearFolder)) {
        if (safefile::isSymbolicLink(yearFolder))
            throw ImportWriteError("The year folder " + yearFolder +
                                   " is a symbolic link. Day files are never written through a link; remove it and "
                                   "import again.");
        writeFailed(yearFolder);
    }
    struct stat info {};
    const bool exists = ::lstat(staged.target.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    staged.append = exists && (appendOnly_ || writtenDays_.count(key) > 0);
    if (staged.append) {
        journal_.noteAppend(staged.target, static_cast<std::uint64_t>(info.st_size));
        staged.writePath = staged.target;
    } else {
        journal_.noteReplacement(staged.target);
        staged.writePath = staged.target + ImportJournal::kStagedSuffix;
    }
    stagedOrder_.push_back(key);
    return staged_.emplace(key, std::move(staged)).first->second;
}

bool DayWriter::writeRecord(std::string_view record, std::string_view year, std::string_view month,
                            std::string_view day, const std::string& header)
{
    const int y = year.size() == 4 ? digits(year) : -1;
    const int m = month.size() == 2 ? digits(month) : -1;
    const int d = day.size() == 2 ? digits(day) : -1;
    if (y < 1 || !isValidDate(y, m, d)) return false;
    const int key = y * 10000 + m * 100 + d;
    if (key != currentKey_) {
        if (currentKey_ != 0) flush();
        currentKey_ = key;
        current_ = &stage(key, year, month, day);
        appendHeader(header, true);
    }
    buffer_.append(record);
    buffer_ += "\r\n";
    headerBudget_ += kHeaderBytesPerRecordByte * static_cast<long long>(record.size() + 2);
    // Very long lines: write early rather than hold a whole batch of them.
    // The file receives the same bytes either way.
    if (buffer_.size() >= kFlushBytes) flush();
    return true;
}

void DayWriter::addHeaderBlock(const std::string& header)
{
    // Without a current day there is no segment to update; the next record
    // opens one with the latest block anyway.
    if (currentKey_ == 0) return;
    appendHeader(header, false);
}

void DayWriter::appendHeader(const std::string& header, bool segmentStart)
{
    StagedDay& day = *current_;
    const std::uint64_t hash = hashOf(header);
    if (hash == day.headerHash && !segmentStart) return;
    const EssentialLines lines = essentialLines(header);
    const std::uint64_t fieldsHash = hashOf(lines.fields);
    const std::uint64_t dateHash = hashOf(lines.date);
    const long long size = static_cast<long long>(header.size());
    if (day.headerHash == 0 || headerBudget_ >= size) {
        buffer_ += header;
        buffer_ += "\r\n";
        headerBudget_ -= size;
    } else if (fieldsHash != day.fieldsHash || dateHash != day.dateHash) {
        appendLine(buffer_, lines.fileFormat);
        appendLine(buffer_, lines.delim);
        if (fieldsHash != day.fieldsHash) appendLine(buffer_, lines.fields);
        if (dateHash != day.dateHash) appendLine(buffer_, lines.date);
    }
    // Otherwise the lines that govern the day's records are unchanged.
    day.headerHash = hash;
    day.fieldsHash = fieldsHash;
    day.dateHash = dateHash;
}

void DayWriter::flush()
{
    if (buffer_.empty() || current_ == nullptr) return;
    write_.path = current_->writePath;
    write_.target = current_->target;
    write_.create = !current_->append && !current_->created;
    write_.text.swap(buffer_);
    if (background_)
        background_->queue(write_);
    else
        writeDayFile(write_);
    current_->created = true;
    buffer_.swap(write_.text);
    buffer_.clear();
}

void DayWriter::writeInBackground(bool on)
{
    if (on && !background_) background_ = std::make_unique<DayFileWrites>();
    if (!on) background_.reset();
}

void DayWriter::finishWrites()
{
    if (background_) background_->finish();
}

void DayWriter::discardWrites()
{
    if (background_) background_->discard();
}

std::vector<std::string> DayWriter::sourceFileDays() const
{
    std::vector<std::string> days;
    days.reserve(stagedOrder_.size());
    for (int key : stagedOrder_)
        days.push_back(staged_.at(key).target);
    return days;
}

void DayWriter::commitSourceFile()
{
    for (int key : stagedOrder_) {
        writtenDays_.insert(key);
        if (daysListed_.insert(key).second) runDays_.push_back(staged_[key].target);
    }
    staged_.clear();
    stagedOrder_.clear();
    startSourceFile();
}

void DayWriter::rollbackSourceFile()
{
    staged_.clear();
    stagedOrder_.clear();
    startSourceFile();
}

} // namespace larkspan
