#include "reports/DemographicTable.h"

#include "common/Error.h"
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

// Each address's counts in the order of its first line, found again
// without regard to case. The addresses sit end to end in one text, so a
// day file with a million visitors costs a few dozen bytes per address
// until the table is made, in address order, with everything derived.
class AddressTallies {
  public:
    // Adds one data line; lines without "," are passed over.
    void add(std::string_view rawLine)
    {
        const std::string_view line = text::trimView(rawLine);
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos) return;
        Tally& tally = find(line.substr(0, comma));
        tally.sessions += 1;
        tally.requests += countOf(line.substr(comma + 1));
    }

    std::size_t size() const { return tallies_.size(); }

    // The tallies' positions in ascending address order (ignoring case).
    std::vector<std::uint32_t> addressOrder() const
    {
        std::vector<std::uint32_t> order(tallies_.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = static_cast<std::uint32_t>(i);
        if (ascending_) return order;
        std::sort(order.begin(), order.end(),
                  [this](std::uint32_t a, std::uint32_t b) { return text::icompare(address(a), address(b)) < 0; });
        return order;
    }

    std::string_view address(std::size_t at) const
    {
        return std::string_view(*addresses_).substr(tallies_[at].offset, tallies_[at].length);
    }
    std::size_t offsetOf(std::size_t at) const { return tallies_[at].offset; }
    long long requestsOf(std::size_t at) const { return tallies_[at].requests; }
    long long sessionsOf(std::size_t at) const { return tallies_[at].sessions; }

    // The addresses' text, end to end (the views address() gave stay
    // valid); the tallies are of no use after.
    std::unique_ptr<std::string> takeAddresses()
    {
        std::vector<Tally>().swap(tallies_);
        std::vector<std::uint32_t>().swap(slots_);
        return std::move(addresses_);
    }

  private:
    struct Tally {
        std::size_t offset = 0; // of the address in addresses_, as first written
        std::size_t length = 0;
        long long requests = 0;
        long long sessions = 0;
    };

    static long long countOf(std::string_view textIn)
    {
        long long value = 0;
        if (textIn.size() > 255) textIn = textIn.substr(0, 255);
        return text::parseInteger(textIn, value) ? value : 0;
    }

    // The data file is written in ascending address order: while it keeps
    // to it, an address is new unless it equals the last one, and the index
    // is not needed. The first address out of order builds it.
    Tally& find(std::string_view key)
    {
        if (ascending_) {
            const int order = tallies_.empty() ? 1 : text::icompare(key, address(tallies_.size() - 1));
            if (order == 0) return tallies_.back();
            if (order > 0) return append(key);
            ascending_ = false;
        }
        if (2 * (tallies_.size() + 1) > slots_.size()) grow();
        for (std::size_t slot = text::CaseInsensitiveHash{}(key)&mask_;; slot = (slot + 1) & mask_) {
            if (slots_[slot] == 0) {
                slots_[slot] = static_cast<std::uint32_t>(tallies_.size() + 1);
                return append(key);
            }
            if (text::iequals(address(slots_[slot] - 1), key)) return tallies_[slots_[slot] - 1];
        }
    }

    Tally& append(std::string_view key)
    {
        tallies_.push_back({addresses_->size(), key.size(), 0, 0});
        addresses_->append(key);
        return tallies_.back();
    }

    void grow()
    {
        std::size_t size = std::max<std::size_t>(64, 2 * slots_.size());
        while (2 * (tallies_.size() + 1) > size)
            size *= 2;
        slots_.assign(size, 0);
        mask_ = slots_.size() - 1;
        for (std::size_t at = 0; at < tallies_.size(); ++at) {
            std::size_t slot = text::CaseInsensitiveHash{}(address(at)) & mask_;
            while (slots_[slot] != 0)
                slot = (slot + 1) & mask_;
            slots_[slot] = static_cast<std::uint32_t>(at + 1);
        }
    }

    std::vector<Tally> tallies_;
    std::unique_ptr<std::string> addresses_ = std::make_unique<std::string>();
    std::vector<std::uint32_t> slots_; // a tally's position + 1; 0 is free
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

// Lays the tallies out as the table, in address order, and sums them by
// domain and by country code. afterRow(n) is called after the n-th row.
class DemographicTableBuilder {
  public:
    template <class AfterRow>
    static DemographicTable build(AddressTallies& tallies, const demographics::CodeList& countries,
                                  const demographics::CodeList& types, AfterRow afterRow)
    {
        DemographicTable table;
        DemographicGroups::Index domainIndex;
        DemographicGroups::Index countryIndex;
        {
            const std::vector<std::uint32_t> order = tallies.addressOrder();
            table.rows_.reserve(order.size());
            for (const std::uint32_t at : order) {
                const DemographicRow row{tallies.address(at), tallies.requestsOf(at), tallies.sessionsOf(at)};
                table.rows_.push_back(row);
                const demographics::DomainParts parts = deriveDomainParts(row.address, countries, types);
                table.domains_.add(domainIndex,
                                   parts.domain == "n/a" ? std::string_view("Not Available") : parts.domain,
                                   row.requests, row.sessions);
                table.countryCodes_.add(countryIndex, parts.country, row.requests, row.sessions);
                afterRow(table.rows_.size());
            }
        }
        table.addresses_ = tallies.takeAddresses();
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
        pump.poll();
        if (platform.cancel.requested()) throw Cancelled();
        tallies.add(line);
    }
    in.close();
    platform.progress.setText(1, "Done Reading Data..." + std::to_string(lines));

    platform.progress.setText(0, kCaption);
    platform.progress.setText(1, "Processing Data...");
    DemographicTable table = DemographicTableBuilder::build(tallies, countries, types, [&](std::size_t rows) {
        if (rows % 10 == 0) platform.progress.setText(1, "Processing Data..." + std::to_string(rows));
        pump.poll();
        if (platform.cancel.requested()) throw Cancelled();
    });
    platform.progress.setText(1, "Done Reading Data..." + std::to_string(table.size()));
    return table;
}

} // namespace larkspan
