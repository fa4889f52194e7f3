#include "samples/SampleLayout.h"

#include "samples/SampleCatalog.h"

#include <array>
#include <charconv>

namespace larkspan::samples {

namespace {

struct LayoutInfo {
    SampleLayout layout;
    std::string_view name;
    std::string_view lineEnd;
    bool clientNames; // clients appear by host name where one resolved
};

constexpr std::array kLayouts{
    LayoutInfo{SampleLayout::NcsaCombined, "ncsa-combined", "\n", true},
    LayoutInfo{SampleLayout::NcsaCommon, "ncsa-common", "\n", true},
    LayoutInfo{SampleLayout::NcsaSite, "ncsa-site", "\n", true},
    LayoutInfo{SampleLayout::W3c, "w3c", "\r\n", false},
    LayoutInfo{SampleLayout::Csv, "csv", "\r\n", false},
    LayoutInfo{SampleLayout::Netscape, "netscape", "\n", true},
};

const LayoutInfo& info(SampleLayout layout)
{
    for (const auto& entry : kLayouts)
        if (entry.layout == layout) return entry;
    return kLayouts.front();
}

// The IIS directive block; the #Date line is added per file.
constexpr std::string_view kW3cSoftware = "#Software: Microsoft Internet Information Services 10.0";
constexpr std::string_view kW3cVersion = "#Version: 1.0";
constexpr std::string_view kW3cFields =
    "#Fields: date time s-sitename s-computername s-ip cs-method cs-uri-stem cs-uri-query s-port "
    "cs-username c-ip cs-version cs(User-Agent) cs(Referer) cs-host sc-status sc-substatus "
    "sc-win32-status sc-bytes cs-bytes time-taken";
// A Netscape Enterprise flexible-format line with referrer and user agent.
constexpr std::string_view kNetscapeFormat =
    "format=%Ses->client.ip% - %Req->vars.auth-user% [%SYSDATE%] \"%Req->reqpb.clf-request%\" "
    "%Req->srvhdrs.clf-status% %Req->srvhdrs.content-length% \"%Req->headers.referer%\" "
    "\"%Req->headers.user-agent%\"";
constexpr std::string_view kZone = " +0000]";

constexpr std::array<std::string_view, 3> kMethods{"GET", "HEAD", "POST"};
constexpr std::array<std::string_view, 3> kApacheProtocols{"HTTP/1.1", "HTTP/2.0", "HTTP/1.0"};
constexpr std::array<std::string_view, 3> kIisProtocols{"HTTP/1.1", "HTTP/2", "HTTP/1.0"};

void appendNumber(std::string& out, long long value)
{
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out.append(buffer, end);
}

void appendTwoDigits(std::string& out, int value)
{
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}

void appendTime(std::string& out, int second)
{
    appendTwoDigits(out, second / 3600);
    out += ':';
    appendTwoDigits(out, second / 60 % 60);
    out += ':';
    appendTwoDigits(out, second % 60);
}

// IIS writes spaces inside a field as "+".
void appendPlussed(std::string& out, std::string_view text)
{
    for (const char c : text)
        out += c == ' ' ? '+' : c;
}

void appendReferrer(std::string& out, const Visitor& visitor, std::int32_t referrer)
{
    if (referrer == kNoReferrer) {
        out += '-';
    } else if (referrer == kEntryReferrer) {
        out += visitor.entryReferrer;
    } else {
        out += "https://";
        out += siteHost();
        out += resources()[static_cast<std::size_t>(referrer)].path;
    }
}

// The request bytes a browser sends, varied but reproducible from the request.
long long requestBytes(const Request& r)
{
    return 280 + (r.resource * 37 + r.second * 11 + static_cast<int>(r.visitor) * 7) % 620;
}

int win32Status(int status)
{
    if (status == 404) return 2;
    if (status == 403 || status == 401) return 5;
    return 0;
}

} // namespace

std::string_view layoutName(SampleLayout layout)
{
    return info(layout).name;
}

std::optional<SampleLayout> parseLayoutName(std::string_view name)
{
    for (const auto& entry : kLayouts)
        if (entry.name == name) return entry.layout;
    return std::nullopt;
}

std::string layoutNames()
{
    std::string names;
    for (const auto& entry : kLayouts) {
        if (!names.empty()) names += '|';
        names += entry.name;
    }
    return names;
}

SampleFormatter::SampleFormatter(SampleLayout layout, const CivilDate& date) : layout_(layout)
{
    clfDate_ += static_cast<char>('0' + date.day / 10);
    clfDate_ += static_cast<char>('0' + date.day % 10);
    clfDate_ += '/';
    clfDate_ += std::string_view(dates::monthName(date.month)).substr(0, 3);
    clfDate_ += '/';
    appendNumber(clfDate_, date.year);
    clfDate_ += ':';
    isoDate_ = dates::isoDate(date);
    appendNumber(usDate_, date.month);
    usDate_ += '/';
    appendNumber(usDate_, date.day);
    usDate_ += '/';
    appendNumber(usDate_, date.year);
}

void SampleFormatter::appendHeader(std::string& out, const SampleDay& day) const
{
    if (layout_ == SampleLayout::W3c) {
        appendW3cDirectives(out, day.requests.empty() ? 0 : day.requests.front().second);
    } else if (layout_ == SampleLayout::Netscape) {
        out += kNetscapeFormat;
        out += info(layout_).lineEnd;
    }
}

void SampleFormatter::appendRestart(std::string& out, int second) const
{
    if (layout_ == SampleLayout::W3c) appendW3cDirectives(out, second);
}

void SampleFormatter::appendW3cDirectives(std::string& out, int second) const
{
    const std::string_view end = info(layout_).lineEnd;
    for (const auto line : {kW3cSoftware, kW3cVersion}) {
        out += line;
        out += end;
    }
    out += "#Date: ";
    out += isoDate_;
    out += ' ';
    appendTime(out, second);
    out += end;
    out += kW3cFields;
    out += end;
}

void SampleFormatter::appendRecord(std::string& out, const SampleDay& day, const Request& request) const
{
    switch (layout_) {
    case SampleLayout::W3c:
        appendW3c(out, day, request);
        break;
    case SampleLayout::Csv:
        appendCsv(out, day, request);
        break;
    default:
        appendNcsa(out, day, request);
        break;
    }
    out += info(layout_).lineEnd;
}

// Common, combined, site and the Netscape flexible format share Apache's
// record shape: client [site server] ident-or-user [date] "request" status bytes ...
void SampleFormatter::appendNcsa(std::string& out, const SampleDay& day, const Request& r) const
{
    const Visitor& visitor = day.visitors[r.visitor];
    out += visitor.host.empty() ? visitor.address : visitor.host;
    if (layout_ == SampleLayout::NcsaSite) {
        out += ' ';
        out += siteHost();
        out += ' ';
        out += serverAddress();
    } else {
        out += " -";
    }
    out += ' ';
    out += visitor.user;
    out += " [";
    out += clfDate_;
    appendTime(out, r.second);
    out += kZone;
    out += " \"";
    out += kMethods[static_cast<std::size_t>(r.method)];
    out += ' ';
    out += resources()[r.resource].path;
    if (r.query >= 0) {
        out += '?';
        out += queryStrings()[static_cast<std::size_t>(r.query)];
    }
    out += ' ';
    out += kApacheProtocols[static_cast<std::size_t>(visitor.protocol)];
    out += "\" ";
    appendNumber(out, r.status);
    out += ' ';
    if (r.bytes > 0)
        appendNumber(out, r.bytes);
    else
        out += '-';
    if (layout_ == SampleLayout::NcsaCommon) return;
    out += " \"";
    appendReferrer(out, visitor, r.referrer);
    out += "\" \"";
    out += visitor.agent;
    out += '"';
}

void SampleFormatter::appendW3c(std::string& out, const SampleDay& day, const Request& r) const
{
    const Visitor& visitor = day.visitors[r.visitor];
    out += isoDate_;
    out += ' ';
    appendTime(out, r.second);
    out += ' ';
    out += siteName();
    out += ' ';
    out += computerName();
    out += ' ';
    out += serverAddress();
    out += ' ';
    out += kMethods[static_cast<std::size_t>(r.method)];
    out += ' ';
    out += resources()[r.resource].path;
    out += ' ';
    out += r.query >= 0 ? queryStrings()[static_cast<std::size_t>(r.query)] : std::string_view("-");
    out += " 443 ";
    out += visitor.user;
    out += ' ';
    out += visitor.address;
    out += ' ';
    out += kIisProtocols[static_cast<std::size_t>(visitor.protocol)];
    out += ' ';
    appendPlussed(out, visitor.agent);
    out += ' ';
    appendReferrer(out, visitor, r.referrer);
    out += ' ';
    out += siteHost();
    out += ' ';
    appendNumber(out, r.status);
    out += " 0 ";
    appendNumber(out, win32Status(r.status));
    out += ' ';
    appendNumber(out, r.bytes > 0 ? r.bytes : 0);
    out += ' ';
    appendNumber(out, requestBytes(r));
    out += ' ';
    appendNumber(out, r.timeTaken);
}

// IIS log file format: fixed fields separated by ", ", ending with ",".
void SampleFormatter::appendCsv(std::string& out, const SampleDay& day, const Request& r) const
{
    const Visitor& visitor = day.visitors[r.visitor];
    out += visitor.address;
    out += ", ";
    out += visitor.user;
    out += ", ";
    out += usDate_;
    out += ", ";
    appendTime(out, r.second);
    out += ", ";
    out += siteName();
    out += ", ";
    out += computerName();
    out += ", ";
    out += serverAddress();
    out += ", ";
    appendNumber(out, r.timeTaken);
    out += ", ";
    appendNumber(out, requestBytes(r));
    out += ", ";
    appendNumber(out, r.bytes > 0 ? r.bytes : 0);
    out += ", ";
    appendNumber(out, r.status);
    out += ", ";
    appendNumber(out, win32Status(r.status));
    out += ", ";
    out += kMethods[static_cast<std::size_t>(r.method)];
    out += ", ";
    out += resources()[r.resource].path;
    out += ", ";
    out += r.query >= 0 ? queryStrings()[static_cast<std::size_t>(r.query)] : std::string_view("-");
    out += ',';
}

} // namespace larkspan::samples
