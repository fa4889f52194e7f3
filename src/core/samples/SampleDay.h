#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace larkspan::samples {

enum class Method : std::uint8_t { Get, Head, Post };
enum class Protocol : std::uint8_t { Http11, Http2, Http10 };

// One client of a sample day: a browser, a crawler or a tool.
struct Visitor {
    std::string address;       // numeric address, IPv4 or IPv6
    std::string host;          // the name the address resolves to; empty when it does not
    std::string_view agent;    // user agent
    std::string_view user;     // "-" unless the visitor logs in
    std::string entryReferrer; // where the first page was found ("-" when typed or bookmarked)
    Protocol protocol = Protocol::Http11;
    bool robot = false;
};

// Where a request's Referer header points.
inline constexpr std::int32_t kNoReferrer = -2;    // "-"
inline constexpr std::int32_t kEntryReferrer = -1; // the visitor's entryReferrer
                                                   // >= 0: a page of the site (resource index)

// One line of a sample log, kept compact: texts are indexes into the catalog
// or the day's visitors, so a million-line day stays small.
struct Request {
    std::int32_t second = 0;    // of the day, 0..86399
    std::uint32_t visitor = 0;  // index into SampleDay::visitors
    std::uint16_t resource = 0; // index into resources()
    std::uint16_t status = 200;
    std::int16_t query = -1; // index into queryStrings(), -1 for none
    Method method = Method::Get;
    std::int32_t referrer = kNoReferrer;
    std::int64_t bytes = -1;    // body bytes sent; -1 when none
    std::int32_t timeTaken = 0; // milliseconds
};

struct SampleDay {
    std::vector<Visitor> visitors;
    std::vector<Request> requests; // in time order; sessions keep their own order within a second
};

// Exactly `lines` requests of one day, made by visitors who browse several
// pages (with their images), crawlers, uptime monitors and vulnerability
// scanners, spread over the day with more traffic in office hours and the
// evening. The same seed always gives the same day.
SampleDay generateSampleDay(std::uint64_t seed, long lines);

} // namespace larkspan::samples
