#include "ConsoleShell.h"

#include "common/Dates.h"
#include "common/TextFile.h"
#include "platform/Clock.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace fs = std::filesystem;

namespace larkspan {

namespace {

bool spawnDetached(const char* program, const std::string& argument)
{
    pid_t pid = 0;
    std::string programCopy = program;
    std::string argumentCopy = argument;
    char* argv[] = {programCopy.data(), argumentCopy.data(), nullptr};
    if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    // xdg-open returns once the handler has been started.
    if (waitpid(pid, &status, 0) < 0) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

fs::path trashFolder()
{
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return fs::path(xdg) / "Trash";
    if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".local" / "share" / "Trash";
    return {};
}

}  // namespace

bool ConsoleShell::hasDesktop() const
{
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

bool ConsoleShell::openDocument(const std::string& pathOrUrl)
{
    return hasDesktop() && spawnDetached("xdg-open", pathOrUrl);
}

bool ConsoleShell::openTextEditor(const std::string& path)
{
    return hasDesktop() && spawnDetached("xdg-open", path);
}

bool ConsoleShell::moveToTrash(const std::string& path)
{
    const fs::path trash = trashFolder();
    std::error_code ec;
    if (trash.empty() || !fs::exists(path, ec)) return false;
    fs::create_directories(trash / "files", ec);
    fs::create_directories(trash / "info", ec);
    const std::string base = fs::path(path).filename().string();
    std::string name = base;
    for (int n = 2; fs::exists(trash / "files" / name) || fs::exists(trash / "info" / (name + ".trashinfo")); ++n)
        name = base + "." + std::to_string(n);
    const LocalDateTime now = SystemClock().now();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "T%02d:%02d:%02d", now.hour, now.minute, now.second);
    const std::string info = "[Trash Info]\nPath=" + fs::absolute(path).string() +
                             "\nDeletionDate=" + dates::isoDate(now.date) + stamp + "\n";
    if (!writeWholeFile((trash / "info" / (name + ".trashinfo")).string(), info)) return false;
    fs::rename(path, trash / "files" / name, ec);
    if (ec) fs::remove(trash / "info" / (name + ".trashinfo"), ec);
    return !ec;
}

}  // namespace larkspan
