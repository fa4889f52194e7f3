#pragma once

#include <string>
#include <vector>

namespace larkspan {

class Messages;

// Reads a file's bytes; false when it cannot be opened.
bool readWholeFile(const std::string& path, std::string& content);
// Replaces a file with the bytes given; false when it cannot be created or
// written, or when path is a symbolic link. New files are private (0600).
bool writeWholeFile(const std::string& path, const std::string& content);
// Appends bytes (never through a symbolic link); false on failure.
bool appendToFile(const std::string& path, const std::string& content);

// Writes a report or index file whole through a private temporary file and
// a rename: a link or a file another user planted at path is replaced, never
// written through, and the new file is private (0600). On failure shows the error
// "Unable to create file <path>" and returns false; callers go on as if the
// file had been written.
bool saveTextFile(Messages& messages, const std::string& path, const std::string& content);

// Writes lines as 8-bit text, each followed by CR LF.
std::string joinCrLf(const std::vector<std::string>& lines);

// List files: one entry per line. Reading splits at CR, LF or CR LF and
// accepts a missing final break; a missing file is an empty list.
std::vector<std::string> loadList(const std::string& path);
// Writes exactly the text given (the editor's text box contents).
bool saveListText(const std::string& path, const std::string& text);

}  // namespace larkspan
