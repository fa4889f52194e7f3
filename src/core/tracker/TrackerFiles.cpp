#include "tracker/TrackerFiles.h"

#include "common/Dates.h"
#include "common/Error.h"
#include "common/FolderListing.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "tracker/TrackerLine.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace larkspan::tracker {

namespace {

std::string withExtension(const std::string& path, std::string_view extension)
{
    return fs::path(path).replace_extension(std::string(extension)).string();
}

long long countOf(const std::string& text)
{
    long long value = 0;
    return text::parseInteger(text, value) ? value : 0;
}

bool allDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Each text line of a file; CR, LF and CR LF end lines, empty lines are
// left out.
template <typename Each> bool forEachLine(const std::string& path, Each each)
{
    std::string content;
    if (!readWholeFile(path, content)) return false;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find_first_of("\r\n", start);
        if (end == std::string::npos) end = content.size();
        if (end > start) each(std::string_view(content).substr(start, end - start));
        start = end + 1;
        if (end < content.size() && content[end] == '\r' && start < content.size() && content[start] == '\n') ++start;
    }
    return true;
}

} // namespace

std::string summaryPathFor(const std::string& dayFile)
{
    return withExtension(dayFile, kSummaryExtension);
}

std::string detailPathFor(const std::string& dayFile)
{
    return withExtension(dayFile, kDetailExtension);
}

std::vector<std::string> summaryFields(const VisitorSummary& v)
{
    return {v.date,
            v.host,
            v.client,
            std::to_string(v.hits),
            std::to_string(v.pages),
            v.firstTime,
            v.lastTime,
            v.duration,
            v.firstPage,
            v.lastPage,
            v.kilobytes};
}

std::vector<std::string> detailFields(const RequestDetail& r)
{
    return {r.date, r.host, r.client, r.time, r.url, r.referrer, r.server, r.status, r.bytes};
}

VisitorSummary parseSummaryLine(std::string_view line)
{
    std::vector<std::string> f = splitFields(line);
    f.resize(std::max<std::size_t>(f.size(), 11));
    VisitorSummary v;
    v.date = std::move(f[0]);
    v.host = std::move(f[1]);
    v.client = std::move(f[2]);
    v.hits = countOf(f[3]);
    v.pages = countOf(f[4]);
    v.firstTime = std::move(f[5]);
    v.lastTime = std::move(f[6]);
    v.duration = std::move(f[7]);
    v.firstPage = std::move(f[8]);
    v.lastPage = std::move(f[9]);
    v.kilobytes = std::move(f[10]);
    return v;
}

RequestDetail parseDetailLine(std::string_view line)
{
    std::vector<std::string> f = splitFields(line);
    f.resize(std::max<std::size_t>(f.size(), 9));
    RequestDetail r;
    r.date = std::move(f[0]);
    r.host = std::move(f[1]);
    r.client = std::move(f[2]);
    r.time = std::move(f[3]);
    r.url = std::move(f[4]);
    r.referrer = std::move(f[5]);
    r.server = std::move(f[6]);
    r.status = std::move(f[7]);
    r.bytes = std::move(f[8]);
    return r;
}

std::vector<int> yearFolders(const std::string& webFolder)
{
    std::vector<int> years;
    for (const FolderEntry& entry : listFolder(webFolder)) {
        if (entry.directory && entry.name.size() == 4 && allDigits(entry.name)) years.push_back(std::stoi(entry.name));
    }
    std::sort(years.begin(), years.end());
    return years;
}

std::vector<TrackedDay> trackedDays(const std::string& webFolder, int year)
{
    std::vector<TrackedDay> days;
    const std::vector<FolderEntry> entries = listFolder(joinPath(webFolder, std::to_string(year)));
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const std::string& name = it->name;
        if (it->directory || !text::iendsWith(name, kSummaryExtension)) continue;
        const std::string_view stem = std::string_view(name).substr(0, name.size() - kSummaryExtension.size());
        if (stem.size() != 8 || !allDigits(stem.substr(4))) continue;
        const int month = std::stoi(std::string(stem.substr(4, 2)));
        const int day = std::stoi(std::string(stem.substr(6, 2)));
        if (!isValidDate(year, month, day)) continue;
        const bool known = std::any_of(days.begin(), days.end(),
                                       [&](const TrackedDay& d) { return d.month == month && d.day == day; });
        if (!known) days.push_back({month, day, it->path});
    }
    std::sort(days.begin(), days.end(),
              [](const TrackedDay& a, const TrackedDay& b) { return a.month * 100 + a.day < b.month * 100 + b.day; });
    return days;
}

std::vector<int> trackedYears(const std::string& webFolder)
{
    std::vector<int> years;
    for (const int year : yearFolders(webFolder))
        if (!trackedDays(webFolder, year).empty()) years.push_back(year);
    return years;
}

TrackerDay loadTrackerDay(const std::string& summaryPath)
{
    return loadTrackerDay(summaryPath, {});
}

TrackerDay loadTrackerDay(const std::string& summaryPath, const std::function<void(std::size_t)>& afterLine)
{
    TrackerDay day;
    const std::string summary = summaryPathFor(summaryPath);
    if (!forEachLine(summary, [&](std::string_view line) {
            day.visitors.push_back(parseSummaryLine(line));
            if (afterLine) afterLine(line.size());
        }))
        throw Error("Unable to read " + summary);
    forEachLine(detailPathFor(summaryPath), [&](std::string_view line) {
        day.requests.push_back(parseDetailLine(line));
        if (afterLine) afterLine(line.size());
    });
    return day;
}

std::vector<const RequestDetail*> requestsOf(const TrackerDay& day, std::string_view host, std::string_view client)
{
    std::vector<const RequestDetail*> found;
    for (const RequestDetail& r : day.requests) {
        if (text::iequals(r.host, host) && (client.empty() || text::iequals(r.client, client))) found.push_back(&r);
    }
    return found;
}

} // namespace larkspan::tracker
