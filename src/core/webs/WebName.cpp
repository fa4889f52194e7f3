#include "webs/WebName.h"

#include <cstring>

namespace larkspan {

std::optional<std::string> webNameProblem(const std::string& name)
{
    const std::string quoted = "The Web name \"" + name + "\" ";
    if (name.size() > kMaxWebNameLength) return quoted + "is too long: a Web name has at most 8 characters.";
    if (name == "." || name.find("..") != std::string::npos)
        return quoted + "cannot be used: it must not be \".\" or contain \"..\".";
    for (unsigned char c : name) {
        if (c < ' ' || c == 127) return "The Web name cannot be used: it contains a control character.";
        if (c == '/' || c == '\\') return quoted + "cannot be used: it must not contain a path separator.";
        if (std::strchr("<>:\"|?*", c)) return quoted + "cannot be used: a Web name must not contain < > : \" | ? or *.";
    }
    return std::nullopt;
}

}  // namespace larkspan
