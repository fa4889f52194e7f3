#include "webs/WebRemoval.h"

#include "common/FolderListing.h"
#include "common/Text.h"
#include "import/FolderTree.h"
#include "webs/FtpSettings.h"
#include "webs/WebName.h"
#include "webs/WebStore.h"

namespace larkspan {

std::string deleteWebQuestion(const std::string& name)
{
    return "Warning: This action cannot be undone. \nDo you really want to delete " + name + "?";
}

bool deleteWeb(WebStore& webs, Messages& messages, const std::string& name, const std::string& ftpTemporaryFolder)
{
    // An empty or unsafe name would point at wwwstats itself or outside it.
    if (name.empty() || webNameProblem(name)) return false;
    std::string folder = webs.webFolder(name);
    if (folder.size() > 1) folder.pop_back();  // the tree's root without its separator
    const bool folderGone = removeFolderTree(folder, messages);
    bool downloadsGone = true;
    for (const auto& entry : listFolder(ftpTemporaryFolder))
        if (entry.directory && text::iequals(entry.name, name))
            downloadsGone = removeFolderTree(entry.path, messages) && downloadsGone;
    const bool keyGone = deleteFtpSettings(webs.settings(), messages, name);
    return folderGone && downloadsGone && keyGone;
}

}  // namespace larkspan
