#pragma once

#include "common/Dates.h"
#include "samples/SampleDay.h"

#include <optional>
#include <string>
#include <string_view>

namespace larkspan::samples {

// The access-log layouts sample logs are written in.
enum class SampleLayout { NcsaCommon, NcsaCombined, NcsaSite, W3c, Csv, Netscape };

// "ncsa-common", "ncsa-combined", "ncsa-site", "w3c", "csv", "netscape".
std::string_view layoutName(SampleLayout layout);
std::optional<SampleLayout> parseLayoutName(std::string_view name);
// Every name, separated by "|", for usage texts.
std::string layoutNames();

// Writes one day's log text in the layout, the way the servers that use it
// do: Apache-style layouts with LF line ends and client host names where the
// address resolved; IIS layouts (W3C extended, comma-separated) with CR LF
// and numeric addresses; W3C files open with their directives, Netscape
// files with their format line.
class SampleFormatter {
public:
    SampleFormatter(SampleLayout layout, const CivilDate& date);

    // Directives or format line opening a day's file (may be empty).
    void appendHeader(std::string& out, const SampleDay& day) const;
    // What the server writes when it restarts at `second` in the middle of a
    // day's file: IIS repeats its directive block; the other layouts write nothing.
    void appendRestart(std::string& out, int second) const;
    void appendRecord(std::string& out, const SampleDay& day, const Request& request) const;

private:
    void appendW3cDirectives(std::string& out, int second) const;
    void appendNcsa(std::string& out, const SampleDay& day, const Request& request) const;
    void appendW3c(std::string& out, const SampleDay& day, const Request& request) const;
    void appendCsv(std::string& out, const SampleDay& day, const Request& request) const;

    SampleLayout layout_;
    std::string clfDate_; // "10/Oct/2000:"
    std::string isoDate_; // "2000-10-10"
    std::string usDate_;  // "10/10/2000", month and day without leading zeros
};

} // namespace larkspan::samples
