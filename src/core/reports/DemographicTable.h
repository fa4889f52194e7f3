#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/TextArena.h"
#include "common/LargeBlocks.h"
#include "reports/DemographicDomains.h"

namespace larkspan {

struct Platform;

// One client address of the demographic data with its totals. The address
// views the table's text and lives as long as the table.
struct DemographicRow {
    std::string_view address; // as it first appears in the data file
    long long requests = 0;   // page and file requests: sum of its counts
    long long sessions = 0;   // number of its lines (one per day)
};
using DemographicRows = memory::LargeVector<DemographicRow>;

// The totals of the addresses that share a key (a domain, a country code),
// one group per key compared without regard to case, in the order of each
// key's first address; the key's first spelling is kept.
class DemographicGroups {
  public:
    struct Group {
        std::string_view key; // lives as long as the groups
        long long requests = 0;
        long long sessions = 0;
    };

    const std::vector<Group>& groups() const { return groups_; }

    // Adds an address's totals to key's group (made when new); index is the
    // builder's look-up of keys, which the groups need only while filled.
    class Index;
    void add(Index& index, std::string_view key, long long requests, long long sessions);

  private:
    std::vector<Group> groups_;
    analysis::TextArena texts_;
};

// The demographic table: one row per distinct address (ignoring case), in
// ascending address order, with the totals by domain and by country code
// that the grouped reports need. Each address's text is stored once; what
// its host name says (domain, country, type) is not kept per row.
class DemographicTable {
  public:
    DemographicTable() = default;
    DemographicTable(DemographicTable&&) noexcept = default;
    DemographicTable& operator=(DemographicTable&&) noexcept = default;
    DemographicTable(const DemographicTable&) = delete;
    DemographicTable& operator=(const DemographicTable&) = delete;

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    const DemographicRow& operator[](std::size_t i) const { return rows_[i]; }
    const DemographicRow& front() const { return rows_.front(); }
    DemographicRows::const_iterator begin() const { return rows_.begin(); }
    DemographicRows::const_iterator end() const { return rows_.end(); }

    // Totals by domain as the domain reports name it ("Not Available" for a
    // numeric address), and by country code ("Unk" when the last label is
    // no listed country, "n/a" for a numeric address).
    const DemographicGroups& domains() const { return domains_; }
    const DemographicGroups& countryCodes() const { return countryCodes_; }

    // Releases everything.
    void clear() { *this = DemographicTable(); }

  private:
    friend class DemographicTableBuilder;

    std::unique_ptr<analysis::TextArena> addresses_; // every row's address, each stored once
    DemographicRows rows_;
    DemographicGroups domains_;
    DemographicGroups countryCodes_;
};

// The data file is missing or cannot be opened; the message is the one the
// report index shows.
class NoDemographicData : public std::runtime_error {
  public:
    explicit NoDemographicData(const std::string& message) : std::runtime_error(message) {}
};

// Reads the profile's demographic data file (lines "address,count") into
// the table, deriving domain, country and type of every address with the
// country and domain-type lists. Shows its progress under the caption
// "Analyzing Demographics Data..." and polls the pump.
// Throws NoDemographicData ("Required File Not Found", "Error Opening
// Required File - Read Only", "Error Opening Required File - Error Code: "
// and the code), Error when a list file cannot be read, Cancelled when the
// run is cancelled.

DemographicTable parseDemographics(Platform& platform, const std::string& dataFile, const std::string& countryListPath,
                                   const std::string& typeListPath);

// The table from the text of a data file alone (no messages, no files).
DemographicTable demographicsFromText(const std::string& content, const demographics::CodeList& countries,
                                      const demographics::CodeList& types);

} // namespace larkspan
