#pragma once

#include <span>
#include <string_view>

// The fixed material sample logs are made of: the site's files, browsers and
// robots, referring sites, search engines and their queries, and the access
// providers whose names clients resolve to. Tables, not code, so a richer
// sample is an edit of SampleCatalog.cpp.
namespace larkspan::samples {

enum class ResourceKind {
    Page,      // HTML and scripts that produce pages
    Embedded,  // style sheets, scripts and images a page pulls in
    Download,  // archives, installers, documents
    Redirect,  // answers 301 (moved) to every request
    Missing,   // answers 404
    Forbidden, // answers 403
    Members,   // needs a user name; 401 without one
    Flaky,     // a page that sometimes fails with 500
};

struct Resource {
    std::string_view path;
    ResourceKind kind;
    int bytes;  // typical body size
    int weight; // how often it is chosen among its kind
};

struct Browser {
    std::string_view agent;
    int weight;
};

// A crawler or tool: its user agent, the address block it comes from (first
// three octets) and the host name prefix its addresses resolve to ("" when
// they do not resolve).
struct Robot {
    std::string_view agent;
    std::string_view addressBlock;
    std::string_view hostPrefix;
    std::string_view hostSuffix;
    int weight;
};

// A search engine's result address: prefix + words joined with "+" + suffix.
struct SearchEngine {
    std::string_view prefix;
    std::string_view suffix;
    int weight;
};

struct Weighted {
    std::string_view text;
    int weight;
};

std::string_view siteHost();      // "www.example.com"
std::string_view serverAddress(); // the server's own address
std::string_view siteName();      // the server instance name IIS logs
std::string_view computerName();  // the server's machine name

std::span<const Resource> resources();
// Style sheets, scripts and images every page pulls in.
std::span<const std::string_view> pageFurniture();
std::span<const Browser> browsers();
std::span<const Robot> robots();
std::span<const SearchEngine> searchEngines();
std::span<const Weighted> searchPhrases();
// Referring pages of other sites (links, social, advertising, affiliates).
std::span<const Weighted> referringPages();
// Domains that client host names end with; the country and kind of network vary.
std::span<const Weighted> accessProviders();
// First octets of the address blocks people browse from.
std::span<const int> clientOctets();
std::span<const std::string_view> userNames();
std::span<const std::string_view> queryStrings();

} // namespace larkspan::samples
