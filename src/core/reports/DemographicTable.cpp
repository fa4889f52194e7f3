#include "reports/DemographicTable.h"

#include "common/Error.h"
#include "common/Text.h"
#include "platform/Platform.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>

namespace larkspan {

namespace {

const char* const kCaption = "Analyzing Demographics Data...";

struct Tally {
    std::string address;
    long long requests = 0;
    long long sessions = 0;
};

using AddressIndex = std::map<std::string, Tally, text::CaseInsensitiveLess>;

long long countOf(std::string_view textIn)
{
    long long value = 0;
    if (textIn.size() > 255) textIn = textIn.substr(0, 255);
    return text::parseInteger(textIn, value) ? value : 0;
}

// Adds one data line to the index; lines without "," are passed over.
void addLine(AddressIndex& index, const std::string& rawLine)
{
    const std::string line = text::trim(rawLine);
    const std::size_t comma = line.find(',');
    if (comma == std::string::npos) return;
    std::string address = line.substr(0, comma);
    auto [it, added] = index.try_emplace(address);
    if (added) it->second.address = std::move(address);
    it->second.sessions += 1;
    it->second.requests += countOf(std::string_view(line).substr(comma + 1));
}

DemographicRow makeRow(const Tally& tally, const demographics::CodeList& countries, const demographics::CodeList& types)
{
    DemographicRow row;
    row.address = tally.address;
    row.requests = tally.requests;
    row.sessions = tally.sessions;
    demographics::DomainParts parts = demographics::deriveDomainParts(tally.address, countries, types);
    row.domain = std::move(parts.domain);
    row.country = std::move(parts.country);
    row.type = std::move(parts.type);
    return row;
}

void openForReading(const std::string& dataFile, std::ifstream& in)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::exists(dataFile, error)) throw NoDemographicData("Required File Not Found");
    // The mode of a link's target is never touched.
    const fs::file_status status = fs::symlink_status(dataFile, error);
    const fs::perms perms = status.permissions();
    if (!error && !fs::is_symlink(status) && (perms & fs::perms::owner_write) == fs::perms::none) {
        fs::permissions(dataFile, fs::perms::owner_write, fs::perm_options::add, error);
        if (error) throw NoDemographicData("Error Opening Required File - Read Only");
    }
    errno = 0;
    in.open(dataFile, std::ios::binary);
    if (!in)
        throw NoDemographicData("Error Opening Required File - Error Code: " + std::to_string(errno == 0 ? 5 : errno));
}

} // namespace

DemographicTable demographicsFromText(const std::string& content, const demographics::CodeList& countries,
                                      const demographics::CodeList& types)
{
    AddressIndex index;
    for (const std::string& line : text::splitLines(content))
        addLine(index, line);
    DemographicTable table;
    table.reserve(index.size());
    for (const auto& entry : index)
        table.push_back(makeRow(entry.second, countries, types));
    return table;
}

DemographicTable parseDemographics(Platform& platform, const std::string& dataFile, const std::string& countryListPath,
                                   const std::string& typeListPath)
{
    std::ifstream in;
    openForReading(dataFile, in);
    const demographics::CodeList countries = demographics::CodeList::load(countryListPath);
    const demographics::CodeList types = demographics::CodeList::load(typeListPath);

    ThrottledPump pump(platform.pump);
    platform.progress.setText(0, kCaption);
    AddressIndex index;
    long long lines = 0;
    std::string line;
    while (std::getline(in, line)) {
        ++lines;
        if (lines % 10 == 0) platform.progress.setText(1, "Reading Data..." + std::to_string(lines));
        pump.poll();
        if (platform.cancel.requested()) throw Cancelled();
        addLine(index, line);
    }
    in.close();
    platform.progress.setText(1, "Done Reading Data..." + std::to_string(lines));

    platform.progress.setText(0, kCaption);
    platform.progress.setText(1, "Processing Data...");
    DemographicTable table;
    table.reserve(index.size());
    for (const auto& entry : index) {
        table.push_back(makeRow(entry.second, countries, types));
        if (table.size() % 10 == 0) platform.progress.setText(1, "Processing Data..." + std::to_string(table.size()));
        pump.poll();
        if (platform.cancel.requested()) throw Cancelled();
    }
    platform.progress.setText(1, "Done Reading Data..." + std::to_string(table.size()));
    return table;
}

} // namespace larkspan
