#include "profiles/RunProfile.h"

#include "analysis/WebData.h"
#include "common/Error.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "profiles/ProfileFiles.h"
#include "profiles/ProfileLists.h"

#include <filesystem>

namespace larkspan::profiles {

namespace {

// A missing list is empty; one that exists but cannot be read fails the load.
std::vector<std::string> readListForRun(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return {};
    std::string content;
    if (!readWholeFile(path, content)) throw Error("Cannot open file " + path);
    return text::splitLines(content);
}

}  // namespace

RunProfile loadRunProfile(const ProgramFolder& folder, const std::string& dataDirectory, const std::string& name,
                          int today)
{
    const ProfileFiles files = ProfileFiles::of(folder, name);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(files.settings, ec)) throw Error("Cannot open file " + files.settings);

    RunProfile p;
    p.name = name;
    p.table.load(files.settings);

    const auto preDate = p.table.getInteger("pre-date");
    if (!preDate) throw Error("The pre-date value of " + files.settings + " is not a number.");
    p.storedPreDate = *preDate;
    p.preDate = runPreDate(*preDate);
    p.web = p.table.getText("path");
    if (p.web.empty()) throw Error("The profile names no web.");

    const std::string settingsFile = analysis::webSettingsFile(dataDirectory, p.web);
    std::string settings;
    if (!readWholeFile(settingsFile, settings)) throw Error("Cannot open file " + settingsFile);
    const auto lines = text::splitLines(settings);
    if (lines.size() < 2) throw Error("File contains no data or corrupt file " + settingsFile);
    p.ftpWeb = lines[1] == "1";

    const KeyValueTable& t = p.table;
    p.browser = t.getBoolean("browser");
    p.usage = t.getBoolean("usage");
    p.page = t.getBoolean("page");
    p.referrers = t.getBoolean("referrers");
    p.demogs = t.getBoolean("demogs");
    p.oconsumer = t.getBoolean("oconsumer");
    p.oadmin = t.getBoolean("oadmin");
    p.ocsv = t.getBoolean("ocsv");
    p.obrowser = t.getBoolean("obrowser");
    p.ovrwrite = t.getBoolean("ovrwrite");
    p.gengraph = t.getBoolean("gengraph");
    p.g3d = t.getBoolean("g3d");
    p.trackbyses = t.getBoolean("trackbyses");
    p.hitoth = t.getBoolean("hitoth");
    p.hitimg = t.getBoolean("hitimg");
    p.hitdf = t.getBoolean("hitdf");
    p.hitpage = t.getBoolean("hitpage");
    p.norobots = t.getBoolean("norobots");
    p.details = t.getBoolean("details");
    p.url = t.getText("url");
    p.csvpath = t.getText("csvpath");
    p.maxrows = t.getText("maxrows");

    if (const auto computed = computeRange(p.preDate, today)) {
        p.range = *computed;
    } else {
        const auto start = t.getInteger("start");
        const auto end = t.getInteger("end");
        // Days outside the years 1 to 9999 are no dates; they would also
        // send the pass through millions of empty days.
        const auto isDay = [](const std::optional<long long>& v) { return v && *v >= -693593 && *v <= 2958465; };
        if (isDay(start) && isDay(end)) {
            p.range = DayRange{static_cast<int>(*start), static_cast<int>(*end)};
        } else {
            p.range = DayRange{today + 1, today - 1};
        }
    }

    p.advertisingDomains = cleanDomainList(readListForRun(files.adds));
    p.affiliateDomains = cleanDomainList(readListForRun(files.affs));
    p.excludedReferrers = cleanReferringDomainList(readListForRun(files.refd));
    return p;
}

}  // namespace larkspan::profiles
