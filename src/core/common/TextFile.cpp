#include "common/TextFile.h"

#include "common/Text.h"
#include "platform/Messages.h"

#include <fstream>
#include <iterator>

namespace larkspan {

bool readWholeFile(const std::string& path, std::string& content)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool writeWholeFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    return !out.fail();
}

bool appendToFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::app);
    if (!out) return false;
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    return !out.fail();
}

bool saveTextFile(Messages& messages, const std::string& path, const std::string& content)
{
    if (writeWholeFile(path, content)) return true;
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

bool saveListText(const std::string& path, const std::string& text) { return writeWholeFile(path, text); }

}  // namespace larkspan
