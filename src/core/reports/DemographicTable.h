#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "reports/DemographicDomains.h"

namespace larkspan {

struct Platform;

// One client address of the demographic data with its totals and what its
// host name says about it.
struct DemographicRow {
    std::string address;    // as it first appears in the data file
    long long requests = 0; // page and file requests: sum of its counts
    long long sessions = 0; // number of its lines (one per day)
    std::string domain;
    std::string country;
    std::string type;
};

// The demographic table: one row per distinct address (ignoring case), in
// ascending address order.
using DemographicTable = std::vector<DemographicRow>;

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
