#pragma once

#include <string>
#include <string_view>

namespace larkspan {

// File operations that never follow a symbolic link the program did not
// expect and that create files private to the user (mode 0600, narrowed
// further by the umask). Every writer of log-derived data or secrets goes
// through these.
namespace safefile {

constexpr unsigned kPrivateFileMode = 0600;
constexpr unsigned kPrivateFolderMode = 0700;

// Opens path for writing without following a link in its last component.
// append: position at the end, else truncate. Creates the file with mode
// 0600 when missing. Returns the descriptor, or -1 with errno set (ELOOP
// when path is a symbolic link).
int openForWriting(const std::string& path, bool append);

// Creates path for writing only when nothing (not even a dangling link) is
// there: O_EXCL | O_NOFOLLOW, mode 0600. Returns the descriptor, or -1 with
// errno set (EEXIST when something is there).
int createNew(const std::string& path);

// Writes all bytes to an open descriptor; false on any short write.
bool writeAll(int fd, std::string_view bytes);

// Replaces path with content through a temporary file in the same folder
// (created exclusively with mode 0600 before a byte is written) and a
// rename, so readers see the old or the new file, never a part. A link at
// path is replaced as a link, never written through. The temporary file is
// removed on every failure. sync: flush the data to disk before the rename.
bool replaceFile(const std::string& path, std::string_view content, bool sync = false);

// True when path itself is a symbolic link (dangling or not).
bool isSymbolicLink(const std::string& path);

// Creates a folder with mode 0700 (an existing folder's mode is left alone).
// False when it cannot be created, or when path is a symbolic link or not a
// folder.
bool makePrivateFolder(const std::string& path);

// Creates a folder and every missing folder above it with mode 0700; folders
// that exist are left as they are (a link among them is followed, as the
// operator made it). False when path is not a folder afterwards.
bool makePrivateFolderTree(const std::string& path);

// True when something of that name exists, a symbolic link (dangling or not)
// included.
bool entryExists(const std::string& path);

} // namespace safefile
} // namespace larkspan
