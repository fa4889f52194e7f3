#include "PageHelp.h"

#include "common/FolderListing.h"
#include "platform/Shell.h"

#include <filesystem>

namespace larkspan {

std::string PageHelp::pageFor(int topic) const
{
    const std::string page = joinPath(folder_, "topic" + std::to_string(topic) + ".html");
    std::error_code error;
    if (std::filesystem::is_regular_file(page, error)) return page;
    return joinPath(folder_, "index.html");
}

bool PageHelp::showTopic(int topic) { return shell_.openDocument(pageFor(topic)); }

}  // namespace larkspan
