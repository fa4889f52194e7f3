#include "reports/DemographicTable.h"

#include "analysis/FoldedKey.h"
#include "common/Error.h"
#include "common/Text.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <unordered_map>

namespace larkspan {

namespace {

const char* const kCaption = "Analyzing Demographics Data...";

struct Tally {
    std::string address;
    long long requests = 0;
    long long sessions = 0;
};

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

long long countOf(std::string_view textIn)
{
    long long value = 0;
    if (textIn.size() > 255) textIn = textIn.substr(0, 255);
    return text::parseInteger(textIn, value) ? value : 0;
}

// The addresses of the data file, each once (ignoring case) in the spelling
// it first has, with its totals.
class AddressIndex {
  public:
    // Adds one data line; lines without "," are passed over.
    void addLine(std::string_view rawLine)
    {
        const std::string_view line = trimmed(rawLine);
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos) return;
        const std::string_view address = line.substr(0, comma);
        Tally& tally = tallyOf(address);
        tally.sessions += 1;
        tally.requests += countOf(line.substr(comma + 1));
    }

    std::size_t size() const { return tallies_.size(); }

    // The tallies in ascending address order (ignoring case).
    std::vector<const Tally*> sorted() const
    {
        std::vector<const Tally*> out;
        out.reserve(tallies_.size());
        for (const Tally& tally : tallies_)
            out.push_back(&tally);
        const auto before = [](const Tally* a, const Tally* b) { return text::icompare(a->address, b->address) < 0; };
        if (!ascending_) std::sort(out.begin(), out.end(), before);
        return out;
    }

  private:
    // The data file is written in ascending address order: while it keeps
    // to it, an address is new unless it equals the last one, and no index
    // is needed. The first address out of order builds the index.
    Tally& tallyOf(std::string_view address)
    {
        if (ascending_) {
            const int order = tallies_.empty() ? 1 : text::icompare(address, tallies_.back().address);
            if (order == 0) return tallies_.back();
            if (order > 0) {
                tallies_.push_back({std::string(address), 0, 0});
                return tallies_.back();
            }
            ascending_ = false;
            for (std::size_t i = 0; i < tallies_.size(); ++i)
                index_.emplace(tallies_[i].address, i);
        }
        // The new tally is put in first so that the index's key can view its
        // text: a deque never moves its elements. A known address takes it out.
        tallies_.push_back({std::string(address), 0, 0});
        const auto [found, added] = index_.try_emplace(tallies_.back().address, tallies_.size() - 1);
        if (!added) tallies_.pop_back();
        return tallies_[found->second];
    }

    bool ascending_ = true;
    std::deque<Tally> tallies_;
    struct FoldedHash {
        std::size_t operator()(std::string_view s) const noexcept { return analysis::folded::hash(s); }
    };
    struct FoldedEqual {
        bool operator()(std::string_view a, std::string_view b) const noexcept { return analysis::folded::equal(a, b); }
    };
    std::unordered_map<std::string_view, std::size_t, FoldedHash, FoldedEqual> index_;
};

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
        index.addLine(line);
    DemographicTable table;
    table.reserve(index.size());
    for (const Tally* tally : index.sorted())
        table.push_back(makeRow(*tally, countries, types));
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
        index.addLine(line);
    }
    in.close();
    platform.progress.setText(1, "Done Reading Data..." + std::to_string(lines));

    platform.progress.setText(0, kCaption);
    platform.progress.setText(1, "Processing Data...");
    DemographicTable table;
    table.reserve(index.size());
    for (const Tally* tally : index.sorted()) {
        table.push_back(makeRow(*tally, countries, types));
        if (table.size() % 10 == 0) platform.progress.setText(1, "Processing Data..." + std::to_string(table.size()));
        pump.poll();
        if (platform.cancel.requested()) throw Cancelled();
    }
    platform.progress.setText(1, "Done Reading Data..." + std::to_string(table.size()));
    return table;
}

} // namespace larkspan
