#include "common/SafeFile.h"

#include "common/StagedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace larkspan::safefile {

int openForWriting(const std::string& path, bool append)
{
    const int mode = append ? O_APPEND : O_TRUNC;
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | mode, kPrivateFileMode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int createNew(const std::string& path)
{
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kPrivateFileMode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool replaceFile(const std::string& path, std::string_view content, bool sync)
{
    StagedFile staged = StagedFile::beside(path);
    staged.append(content);
    return staged.commit(sync);
}

bool isSymbolicLink(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool makePrivateFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), kPrivateFolderMode) == 0) return true;
    if (errno != EEXIST) return false;
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool makePrivateFolderTree(const std::string& path)
{
    if (path.empty()) return false;
    for (std::size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
        const std::string prefix = path.substr(0, at);
        if (::mkdir(prefix.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST) return false;
    }
    if (::mkdir(path.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST) return false;
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool entryExists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace larkspan::safefile
