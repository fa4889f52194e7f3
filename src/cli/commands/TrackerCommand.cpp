#include "commands/TrackerCommand.h"

#include "common/Dates.h"
#include "common/Error.h"
#include "common/FolderListing.h"
#include "common/ProgramFolder.h"
#include "common/Text.h"
#include "tracker/TrackerFiles.h"
#include "webs/WebName.h"
#include "webs/WebStore.h"

#include <cstdio>
#include <filesystem>
#include <ostream>

namespace larkspan {

std::string_view TrackerCommand::usage() const
{
    return "WEB DATE [--requests] [--client ADDRESS]\n"
           "Lists the visitors of one day (DATE as yyyy-mm-dd or mm/dd/yyyy): host name or address, client\n"
           "address, requests, first and last time. --requests adds each visitor's page and image requests;\n"
           "--client shows only the visitor with that client address.";
}

namespace {

std::string dayFilePath(const std::string& webFolder, const CivilDate& date)
{
    char name[32];
    std::snprintf(name, sizeof name, "LKLT%02d%02d.log", date.month, date.day);
    return joinPath(joinPath(webFolder, std::to_string(date.year)), name);
}

std::string padded(const std::string& text, std::size_t width)
{
    return text.size() >= width ? text + "  " : text + std::string(width - text.size() + 2, ' ');
}

void printRequests(std::ostream& out, const tracker::TrackerDay& day, const tracker::VisitorSummary& visitor)
{
    for (const tracker::RequestDetail* r : tracker::requestsOf(day, visitor.host, visitor.client)) {
        out << "    " << r->time << "  " << r->url << "  status " << r->status << "  bytes " << r->bytes;
        if (r->referrer != "-" && !r->referrer.empty()) out << "  from " << r->referrer;
        out << '\n';
    }
}

}  // namespace

int TrackerCommand::run(CommandContext& context, const std::vector<std::string>& args)
{
    const Arguments a(args, {"client"}, {"requests"});
    a.requirePositionalCount(2, 2);
    const std::string& web = a.positionalAt(0, "web name");
    const std::string& dateText = a.positionalAt(1, "date");
    auto date = dates::parseIsoDate(dateText);
    if (!date) date = dates::parseShortDate(dateText);
    if (!date) throw UsageError("The date " + dateText + " is not a date (yyyy-mm-dd or mm/dd/yyyy).");
    if (webNameProblem(web)) throw Error("The web " + web + " is invalid.");
    WebStore webs(context.settings, context.folder.homeWithSeparator());
    if (!webs.exists(web)) throw Error("The web " + web + " does not exist.");

    const std::string summary = tracker::summaryPathFor(dayFilePath(webs.webFolder(web), *date));
    std::error_code ec;
    if (!std::filesystem::exists(summary, ec))
        throw Error("The web " + web + " has no session tracker files for " + dates::isoDate(*date) + ".");
    const tracker::TrackerDay day = tracker::loadTrackerDay(summary);

    const std::string client = a.value("client");
    std::size_t shown = 0;
    std::size_t hostWidth = 4;
    std::size_t clientWidth = 6;
    for (const auto& v : day.visitors) {
        hostWidth = std::max(hostWidth, v.host.size());
        clientWidth = std::max(clientWidth, v.client.size());
    }
    context.out << padded("Host", hostWidth) << padded("Client", clientWidth) << "Requests  First     Last\n";
    for (const auto& v : day.visitors) {
        if (!client.empty() && !text::iequals(v.client, client)) continue;
        ++shown;
        context.out << padded(v.host, hostWidth) << padded(v.client, clientWidth) << padded(std::to_string(v.hits), 8)
                    << padded(v.firstTime, 8) << v.lastTime << '\n';
        if (a.flag("requests")) printRequests(context.out, day, v);
    }
    if (!client.empty() && shown == 0)
        throw Error("No visitor with the address " + client + " on " + dates::isoDate(*date) + ".");
    context.out << shown << (shown == 1 ? " visitor" : " visitors") << " on " << dates::isoDate(*date) << ".\n";
    return kExitDone;
}

}  // namespace larkspan
