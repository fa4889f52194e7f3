#include "analysis/WebData.h"

#include "profiles/ProfileFiles.h"
#include "common/Error.h"
#include "common/FolderListing.h"
#include "common/ProgramFolder.h"
#include "common/Text.h"
#include "settings/SettingsStore.h"

namespace larkspan::analysis {

std::string dataDirectory(const SettingsStore& settings, const ProgramFolder& folder)
{
    const auto value = settings.readString("\\Software\\Quennet\\Larkspan\\webs", "statsdatadir");
    std::string dir = value ? text::trim(*value) : std::string();
    if (dir.empty()) dir = folder.home();
    return withTrailingSeparator(dir);
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
