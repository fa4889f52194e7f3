#include "common/TextFile.h"

#include "common/SafeFile.h"
#include "common/Text.h"
#include "platform/Messages.h"

#include <fstream>
#include <iterator>
#include <unistd.h>

namespace larkspan {

namespace {

// Writes without following a link at path; a new file is private (0600).
bool writeThrough(const std::string& path, const std::string& content, bool append)
{
    const int fd = safefile::openForWriting(path, append);
    if (fd < 0) return false;
    const bool written = safefile::writeAll(fd, content);
    return (::close(fd) == 0) && written;
}

} // namespace

bool readWholeFile(const std::string& path, std::string& content)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool writeWholeFile(const std::string& path, const std::string& content)
{
    return writeThrough(path, content, false);
}

bool appendToFile(const std::string& path, const std::string& content)
{
    return writeThrough(path, content, true);
}

bool saveTextFile(Messages& messages, const std::string& path, const std::string& content)
{
    if (safefile::replaceFile(path, content)) return true;
    messages.show(MessageKind::Error, "Unable to create file " + path);
    return false;
}

std::string joinCrLf(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::vector<std::string> loadList(const std::string& path)
{
    std::string content;
    if (!readWholeFile(path, content)) return {};
    return text::splitLines(content);
}

bool saveListText(const std::string& path, const std::string& text)
{
    return writeWholeFile(path, text);
}

} // namespace larkspan
