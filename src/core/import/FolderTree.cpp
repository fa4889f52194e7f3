#include "import/FolderTree.h"

#include "platform/Messages.h"

#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace larkspan {

namespace {

bool deleteFile(const fs::path& file)
{
    std::error_code ec;
    const auto status = fs::symlink_status(file, ec);
    if (!ec && fs::is_regular_file(status))
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
    return fs::remove(file, ec) && !ec;
}

}  // namespace

bool removeFolderTree(const std::string& root, Messages& messages)
{
    std::error_code ec;
    const fs::path rootPath(root);
    const auto rootStatus = fs::symlink_status(rootPath, ec);
    if (ec || !fs::exists(rootStatus)) return true;
    if (fs::is_symlink(rootStatus)) return fs::remove(rootPath, ec) && !ec;
    if (!fs::is_directory(rootStatus)) return false;

    std::vector<fs::path> folders{rootPath};
    std::vector<fs::path> files;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        for (fs::directory_iterator it(folders[i], ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code statError;
            // symlink_status: a link to a folder is an entry of its own, never a folder to enter.
            if (fs::is_directory(it->symlink_status(statError)) && !statError)
                folders.push_back(it->path());
            else
                files.push_back(it->path());
        }
        ec.clear();
    }

    for (auto file = files.rbegin(); file != files.rend(); ++file) {
        if (deleteFile(*file)) continue;
        const Answer answer = messages.ask(
            MessageKind::Warning,
            file->string() + " could not be deleted (possibly a hidden or read-only file). Is it OK to continue deletion of " +
                root + " and all of its files or cancel the operation?",
            Buttons::YesNo);  // No stands for the question's Cancel
        if (answer != Answer::Yes) return false;
        if (deleteFile(*file)) continue;
        messages.show(MessageKind::Information, file->string() +
                                                    " cannot be deleted - it may be in use by another program or damaged. Deletion of " +
                                                    root + " terminated unsuccessfully.");
        return false;
    }

    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
        if (fs::remove(*folder, ec) && !ec) continue;
        messages.show(MessageKind::Error, "An error was encountered while trying to remove the " + folder->string() +
                                              " directory. Removal of " + root + " was unsuccessful.");
        return false;
    }
    return true;
}

}  // namespace larkspan
