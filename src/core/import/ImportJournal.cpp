#include "import/ImportJournal.h"

#include "common/SafeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace larkspan {

namespace {

constexpr const char* kCommitLine = "COMMIT";

std::string reason()
{
    return std::strerror(errno);
}

bool exists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool endsWith(const std::string& s, const std::string& suffix)
{
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Cuts an appended day file back to its size before the source file.
void truncateTo(const std::string& target, std::uint64_t size)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        // Nothing more can be done here; the journal stays for the next run.
    }
    ::close(fd);
}

// Removes the staged files (name ending in the staged suffix) of one folder;
// links are removed as links.
void removeStaged(const fs::path& folder)
{
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (endsWith(name, ImportJournal::kStagedSuffix)) ::unlink(it->path().c_str());
    }
}

bool isYearFolder(const fs::directory_entry& entry)
{
    const std::string name = entry.path().filename().string();
    if (name.size() != 4 || name.find_first_not_of("0123456789") != std::string::npos) return false;
    std::error_code ec;
    return fs::is_directory(entry.symlink_status(ec)) && !ec;
}

} // namespace

ImportJournal::~ImportJournal()
{
    if (fd_ >= 0) ::close(fd_);
}

void ImportJournal::writeLine(const std::string& line)
{
    if (line.find('\n') != std::string::npos)
        throw ImportWriteError("Error Writing Data to File: a path holds a line break: " + line);
    if (!safefile::writeAll(fd_, line + "\n"))
        throw ImportWriteError("Error Writing Data to File: " + path_ + ": " + reason());
}

void ImportJournal::begin()
{
    if (fd_ >= 0) rollback();
    entries_.clear();
    ::unlink(path_.c_str());
    do {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, safefile::kPrivateFileMode);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) throw ImportWriteError("Error Writing Data to File: " + path_ + ": " + reason());
}

void ImportJournal::noteReplacement(const std::string& target)
{
    writeLine("R " + target);
    entries_.push_back({false, 0, target});
}

void ImportJournal::noteAppend(const std::string& target, std::uint64_t originalSize)
{
    writeLine("A " + std::to_string(originalSize) + " " + target);
    entries_.push_back({true, originalSize, target});
}

void ImportJournal::stageReplacement(const std::string& target, const std::string& content)
{
    noteReplacement(target);
    const std::string staged = target + kStagedSuffix;
    ::unlink(staged.c_str());
    const int fd =
        ::open(staged.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, safefile::kPrivateFileMode);
    if (fd < 0) throw ImportWriteError("Error Writing Data to File: " + staged + ": " + reason());
    const bool written = safefile::writeAll(fd, content);
    const int error = errno;
    if (::close(fd) != 0 || !written) {
        if (!written) errno = error;
        throw ImportWriteError("Error Writing Data to File: " + staged + ": " + reason());
    }
}

void ImportJournal::commit()
{
    try {
        writeLine(kCommitLine);
    } catch (const ImportWriteError&) {
        rollback();
        throw;
    }
    // From here the file counts as imported: a failure below is finished
    // by the next run's recover().
    for (const Entry& entry : entries_) {
        if (entry.append) continue;
        const std::string staged = entry.target + kStagedSuffix;
        if (std::rename(staged.c_str(), entry.target.c_str()) != 0 && errno != ENOENT)
            throw ImportWriteError("Error Writing Data to File: " + entry.target + ": " + reason());
    }
    finish();
}

void ImportJournal::rollback()
{
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        if (entry->append)
            truncateTo(entry->target, entry->originalSize);
        else
            ::unlink((entry->target + kStagedSuffix).c_str());
    }
    finish();
}

void ImportJournal::finish()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    entries_.clear();
    ::unlink(path_.c_str());
}

void ImportJournal::recover(const std::string& webFolder)
{
    std::string text;
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        char block[65536];
        ssize_t n;
        while ((n = ::read(fd, block, sizeof block)) > 0)
            text.append(block, static_cast<std::size_t>(n));
        ::close(fd);
    }
    // Lines are only believed whole when their line end was written.
    bool committed = false;
    std::size_t from = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; from = end + 1, end = text.find('\n', from)) {
        const std::string line = text.substr(from, end - from);
        if (line == kCommitLine)
            committed = true;
        else if (line.rfind("R ", 0) == 0)
            entries_.push_back({false, 0, line.substr(2)});
        else if (line.rfind("A ", 0) == 0) {
            const std::size_t blank = line.find(' ', 2);
            if (blank == std::string::npos) continue;
            entries_.push_back({true, std::strtoull(line.c_str() + 2, nullptr, 10), line.substr(blank + 1)});
        }
    }
    if (committed) {
        for (const Entry& entry : entries_) {
            const std::string staged = entry.target + kStagedSuffix;
            if (entry.append || !exists(staged)) continue;
            if (std::rename(staged.c_str(), entry.target.c_str()) != 0)
                throw ImportWriteError("The import of this web that was interrupted cannot be finished: " +
                                       entry.target + ": " + reason());
        }
        finish();
    } else {
        rollback();
    }
    std::error_code ec;
    removeStaged(webFolder);
    for (fs::directory_iterator it(webFolder, ec), end; !ec && it != end; it.increment(ec))
        if (isYearFolder(*it)) removeStaged(it->path());
}

} // namespace larkspan
