#include "analysis/WebData.h"

#include "profiles/ProfileFiles.h"
#include "common/Error.h"
#include "common/FolderListing.h"
#include "common/ProgramFolder.h"
#include "common/Text.h"
#include "settings/SettingsStore.h"
#include "webs/WebStore.h"

namespace larkspan::analysis {

std::string dataDirectory(SettingsStore& settings, const ProgramFolder& folder)
{
    return WebStore(settings, folder.homeWithSeparator()).dataDirectory();
}

std::string webFolder(const std::string& dataDirectory, const std::string& web)
{
    bool bad = web.find('/') != std::string::npos || web.find('\\') != std::string::npos ||
               web.find("..") != std::string::npos;
    for (unsigned char c : web) {
        if (c < 0x20 || c == 0x7f) bad = true;
    }
    if (bad) throw Error("Invalid web name: " + web);
    const std::string stats = profiles::pathIgnoringCase(dataDirectory, "wwwstats");
    return withTrailingSeparator(profiles::pathIgnoringCase(stats, web));
}

std::string webSettingsFile(const std::string& dataDirectory, const std::string& web)
{
    return profiles::pathIgnoringCase(webFolder(dataDirectory, web), web + ".dat");
}

}  // namespace larkspan::analysis
