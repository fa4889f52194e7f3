#include "reports/EmailCopy.h"

#include "common/Text.h"
#include "common/TextFile.h"
#include "reports/ReportTemplates.h"

#include <filesystem>

namespace larkspan {

namespace {

std::string removeFirst(const std::string& text, const std::string& piece)
{
    const std::size_t at = text.find(piece);
    if (piece.empty() || at == std::string::npos) return text;
    return text.substr(0, at) + text.substr(at + piece.size());
}

// The anchor around the maker's logo, from its "<a" to its "</a>".
std::string removeLogoAnchor(const std::string& html)
{
    const std::size_t logo = text::ifind(html, "QuennetLogo.gif");
    if (logo == std::string::npos) return html;
    std::size_t open = std::string::npos;
    for (std::size_t at = 0; (at = text::ifind(html, "<a ", at)) != std::string::npos && at < logo; ++at)
        open = at;
    const std::size_t close = text::ifind(html, "</a>", logo);
    if (open == std::string::npos || close == std::string::npos) return html;
    return html.substr(0, open) + html.substr(close + 4);
}

} // namespace

std::string emailCopyPath(const std::string& basePath)
{
    const std::filesystem::path base(basePath);
    std::string name = "e" + base.filename().string();
    if (!base.has_extension()) name += ".html";
    return (base.parent_path() / name).string();
}

std::string emailReadyHtml(const std::string& basePath, const std::string& html)
{
    const std::string helpFile = std::filesystem::path(basePath).stem().string() + "help.html";
    std::string copy = html;
    // Pages of earlier versions wrote the help anchor with "..\".
    for (const char* up : {"..\\", "../"}) {
        const std::string anchor = std::string("<a href=\"") + up + helpFile + "\"><img border=\"0\" src=\"" + up +
                                   "help.gif\" ALT=\"Help\" ></a>";
        copy = removeFirst(copy, anchor);
    }
    copy = text::replaceAll(copy, reports::kIndexLink, reports::kEmailIndexLink);
    copy = removeLogoAnchor(copy);
    const std::size_t image = copy.find("<img");
    if (image != std::string::npos) {
        const std::size_t end = copy.find('>', image);
        if (end != std::string::npos) copy = copy.substr(0, image) + copy.substr(end + 1);
    }
    return copy;
}

EmailCopy makeEmailCopy(Messages& messages, const std::string& basePath, const std::string& html)
{
    EmailCopy copy{emailCopyPath(basePath), emailReadyHtml(basePath, html)};
    if (!saveTextFile(messages, copy.path, copy.text)) copy.text.clear();
    return copy;
}

} // namespace larkspan
