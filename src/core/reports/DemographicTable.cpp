#include "reports/DemographicTable.h"

#include "common/Error.h"
#include "common/LargeBlocks.h"
#include "common/Text.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <unordered_map>

namespace larkspan {

namespace {

const char* const kCaption = "Analyzing Demographics Data...";
// The pump is asked whether it is time to process events every so many
// lines or rows, rather than reading the clock for each.
constexpr long long kLinesPerPoll = 64;

// Each address's counts in the order of its first line, found again
// without regard to case. Each address is stored once, in an arena whose
// texts never move, so the tallies are the table's rows already: a day file
// with a million visitors costs a few dozen bytes per address.
class AddressTallies {
  public:
    // Adds one data line; lines without "," are passed over.
    void add(std::string_view rawLine)
    {
        const std::string_view line = text::trimView(rawLine);
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos) return;
        DemographicRow& tally = find(line.substr(0, comma));
        tally.sessions += 1;
        tally.requests += countOf(line.substr(comma + 1));
    }

    std::size_t size() const { return rows_.size(); }

    // The tallies in ascending address order (ignoring case), sorted in
    // place; the addresses live in texts().
    DemographicRows takeRowsInAddressOrder()
    {
        memory::LargeVector<std::uint32_t>().swap(slots_);
        if (!ascending_) {
            // The addresses are distinct ignoring case: no two compare equal.
            std::sort(rows_.begin(), rows_.end(), [](const DemographicRow& a, const DemographicRow& b) {
                return text::icompare(a.address, b.address) < 0;
            });
        }
        return std::move(rows_);
    }

    std::unique_ptr<analysis::TextArena> takeTexts() { return std::move(texts_); }

  private:
    static long long countOf(std::string_view textIn)
    {
        long long value = 0;
        if (textIn.size() > 255) textIn = textIn.substr(0, 255);
        return text::parseInteger(textIn, value) ? value : 0;
    }

    // The data file is written in ascending address order: while it keeps
    // to it, an address is new unless it equals the last one, and the index
    // is not needed. The first address out of order builds it.
    DemographicRow& find(std::string_view key)
    {
        if (ascending_) {
            const int order = rows_.empty() ? 1 : text::icompare(key, rows_.back().address);
            if (order == 0) return rows_.back();
            if (order > 0) return append(key);
            ascending_ = false;
        }
        if (2 * (rows_.size() + 1) > slots_.size()) grow();
        for (std::size_t slot = text::CaseInsensitiveHash{}(key)&mask_;; slot = (slot + 1) & mask_) {
            if (slots_[slot] == 0) {
                slots_[slot] = static_cast<std::uint32_t>(rows_.size() + 1);
                return append(key);
            }
            if (text::iequals(rows_[slots_[slot] - 1].address, key)) return rows_[slots_[slot] - 1];
        }
    }

    DemographicRow& append(std::string_view key)
    {
        rows_.push_back({texts_->store(key), 0, 0});
        return rows_.back();
    }

    void grow()
    {
        std::size_t size = std::max<std::size_t>(64, 2 * slots_.size());
        while (2 * (rows_.size() + 1) > size)
            size *= 2;
        slots_.assign(size, 0);
        mask_ = slots_.size() - 1;
        for (std::size_t at = 0; at < rows_.size(); ++at) {
            std::size_t slot = text::CaseInsensitiveHash{}(rows_[at].address) & mask_;
            while (slots_[slot] != 0)
                slot = (slot + 1) & mask_;
            slots_[slot] = static_cast<std::uint32_t>(at + 1);
        }
    }

    DemographicRows rows_;
    std::unique_ptr<analysis::TextArena> texts_ = std::make_unique<analysis::TextArena>();
    memory::LargeVector<std::uint32_t> slots_; // a row's position + 1; 0 is free
    std::size_t mask_ = 0;
    bool ascending_ = true; // every address so far came after the one before
};

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

class DemographicGroups::Index {
  public:
    std::unordered_map<std::string_view, std::size_t, text::CaseInsensitiveHash, text::CaseInsensitiveEqual> positions;
};

void DemographicGroups::add(Index& index, std::string_view key, long long requests, long long sessions)
{
    auto found = index.positions.find(key);
    if (found == index.positions.end()) {
        groups_.push_back({texts_.store(key), 0, 0});
        found = index.positions.emplace(groups_.back().key, groups_.size() - 1).first;
    }
    Group& group = groups_[found->second];
    group.requests += requests;
    group.sessions += sessions;
}

// Makes the tallies the table, in address order, and sums them by domain
// and by country code. afterRow(n) is called after the n-th row.
class DemographicTableBuilder {
  public:
    template <class AfterRow>
    static DemographicTable build(AddressTallies& tallies, const demographics::CodeList& countries,
                                  const demographics::CodeList& types, AfterRow afterRow)
    {
        DemographicTable table;
        table.rows_ = tallies.takeRowsInAddressOrder();
        table.addresses_ = tallies.takeTexts();
        DemographicGroups::Index domainIndex;
        DemographicGroups::Index countryIndex;
        for (std::size_t i = 0; i < table.rows_.size(); ++i) {
            const DemographicRow& row = table.rows_[i];
            const demographics::DomainParts parts = deriveDomainParts(row.address, countries, types);
            table.domains_.add(domainIndex, parts.domain == "n/a" ? std::string_view("Not Available") : parts.domain,
                               row.requests, row.sessions);
            table.countryCodes_.add(countryIndex, parts.country, row.requests, row.sessions);
            afterRow(i + 1);
        }
        return table;
    }
};

DemographicTable demographicsFromText(const std::string& content, const demographics::CodeList& countries,
                                      const demographics::CodeList& types)
{
    AddressTallies tallies;
    for (const std::string& line : text::splitLines(content))
        tallies.add(line);
    return DemographicTableBuilder::build(tallies, countries, types, [](std::size_t) {});
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
    AddressTallies tallies;
    long long lines = 0;
    std::string line;
    while (std::getline(in, line)) {
        ++lines;
        if (lines % 10 == 0) platform.progress.setText(1, "Reading Data..." + std::to_string(lines));
        if (lines % kLinesPerPoll == 0) pump.poll();
        if (platform.cancel.requested()) throw Cancelled();
        tallies.add(line);
    }
    in.close();
    platform.progress.setText(1, "Done Reading Data..." + std::to_string(lines));

    platform.progress.setText(0, kCaption);
    platform.progress.setText(1, "Processing Data...");
    DemographicTable table = DemographicTableBuilder::build(tallies, countries, types, [&](std::size_t rows) {
        if (rows % 10 == 0) platform.progress.setText(1, "Processing Data..." + std::to_string(rows));
        if (rows % kLinesPerPoll == 0) pump.poll();
        if (platform.cancel.requested()) throw Cancelled();
    });
    platform.progress.setText(1, "Done Reading Data..." + std::to_string(table.size()));
    return table;
}

} // namespace larkspan
