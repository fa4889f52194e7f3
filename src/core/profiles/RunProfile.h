#pragma once

#include "profiles/DateRange.h"
#include "common/KeyValueTable.h"

#include <string>
#include <vector>

namespace larkspan {
class ProgramFolder;
}

namespace larkspan::profiles {

// A profile as the report run reads it.
struct RunProfile {
    std::string name;
    KeyValueTable table;   // the whole settings table (admin-email and cons-email are read from it)
    std::string web;       // `path`
    bool ftpWeb = false;   // the web's import type line is "1"
    long long storedPreDate = 0;
    int preDate = 0;       // low eight bits of `pre-date`
    DayRange range;

    bool browser = false, usage = false, page = false, referrers = false, demogs = false;
    bool oconsumer = false, oadmin = false, ocsv = false, obrowser = false, ovrwrite = false;
    bool gengraph = false, g3d = false, trackbyses = false;
    bool hitoth = false, hitimg = false, hitdf = false, hitpage = false;
    // Robots left out of every count and tallied apart; the traffic-detail
    // reports. Profiles older than these keys read them as off.
    bool norobots = false, details = false;
    std::string url, csvpath, maxrows;

    std::vector<std::string> advertisingDomains;  // ".adds", cleaned
    std::vector<std::string> affiliateDomains;    // ".affs", cleaned
    std::vector<std::string> excludedReferrers;   // ".refd", cleaned
};

// Loads a profile for a run. today is the clock's day number. Throws Error
// with the reason when the load fails: no settings file, an unreadable or
// corrupt one, a `pre-date` that is not an integer, an empty `path`, a web
// without a settings file of at least two lines, or an unreadable list.
// Dates that are not integers give the empty range tomorrow..yesterday.
RunProfile loadRunProfile(const ProgramFolder& folder, const std::string& dataDirectory, const std::string& name,
                          int today);

}  // namespace larkspan::profiles
