#include "fakes/TempFolder.h"

#include "common/TextFile.h"

#include <atomic>
#include <filesystem>
#include <random>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace larkspan::testing {

TempFolder::TempFolder()
{
    static std::atomic<int> counter{0};
    std::random_device random;
    const fs::path folder = fs::temp_directory_path() /
                            ("larkspan-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
    fs::create_directories(folder);
    path_ = folder.string();
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    // Restore write permission that a test may have taken away.
    for (fs::recursive_directory_iterator it(path_, ec), end; !ec && it != end; it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string TempFolder::file(const std::string& relative) const { return (fs::path(path_) / relative).string(); }

std::string TempFolder::write(const std::string& relative, const std::string& content) const
{
    const fs::path target = fs::path(path_) / relative;
    fs::create_directories(target.parent_path());
    writeWholeFile(target.string(), content);
    return target.string();
}

std::string TempFolder::read(const std::string& relative) const
{
    std::string content;
    readWholeFile(file(relative), content);
    return content;
}

unsigned modeOf(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

}  // namespace larkspan::testing
