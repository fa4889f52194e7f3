#include "tracker/DayTracker.h"

#include "analysis/RequestClass.h"
#include "common/Text.h"
#include "tracker/HostNameCache.h"
#include "tracker/TrackerLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace larkspan::tracker {

namespace {

enum class RequestKind { Page, Image, Other };

// The extension is the text from the path's last "." to its end, lower-cased;
// a path without one, or whose last "." is followed by a backslash or a
// colon, has none and is a page. Download files count as pages here.
RequestKind kindOf(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return RequestKind::Page;
    const std::string_view extension = path.substr(dot);
    if (extension.find_first_of("\\:") != std::string_view::npos) return RequestKind::Page;
    std::string listed = text::toLower(extension);
    listed += ';';
    if (analysis::kPageExtensions.find(listed) != std::string_view::npos ||
        analysis::kDownloadExtensions.find(listed) != std::string_view::npos)
        return RequestKind::Page;
    if (analysis::kImageExtensions.find(listed) != std::string_view::npos) return RequestKind::Image;
    return RequestKind::Other;
}

bool earlier(int h1, int m1, int s1, int h2, int m2, int s2)
{
    if (h1 != h2) return h1 < h2;
    if (m1 != m2) return m1 < m2;
    return s1 < s2;
}

std::string twoDigits(int value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

// Splits at the delimiter into values; false as soon as the count cannot be
// the expected one.
bool splitExactly(std::string_view line, char delimiter, std::size_t expected, std::vector<std::string_view>& values)
{
    values.clear();
    std::size_t start = 0;
    for (;;) {
        if (values.size() == expected) return false;
        const std::size_t end = line.find(delimiter, start);
        if (end == std::string_view::npos) {
            values.push_back(line.substr(start));
            return values.size() == expected;
        }
        values.push_back(line.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace

std::string kilobytesText(long long hundredths)
{
    std::string out;
    if (hundredths < 0) {
        out = "-";
        hundredths = -hundredths;
    }
    out += std::to_string(hundredths / 100);
    const long long fraction = hundredths % 100;
    if (fraction == 0) return out;
    out += '.';
    out += static_cast<char>('0' + fraction / 10);
    if (fraction % 10 != 0) out += static_cast<char>('0' + fraction % 10);
    return out;
}

DayTracker::DayTracker(const BuildHostNames& hosts) : hosts_(hosts)
{
    std::fill(std::begin(columns_), std::end(columns_), -1);
}

void DayTracker::addLine(std::string_view line)
{
    if (!line.empty() && line.front() == '#')
        directive(line);
    else
        record(line);
}

void DayTracker::directive(std::string_view line)
{
    const std::size_t colon = line.find(':');
    const std::string name = text::toUpper(line.substr(0, colon));
    if (colon == std::string_view::npos) return;
    const std::string_view rest = line.substr(colon + 1);
    if (name == "#DELIM") {
        if (!rest.empty()) delimiter_ = rest.front();
    } else if (name == "#DATE") {
        const std::string_view value = rest.substr(std::min<std::size_t>(1, rest.size()));
        dayDate_ = std::string(value.substr(0, value.find(delimiter_)));
    } else if (name == "#FIELDS") {
        static constexpr std::string_view kNames[ColumnCount] = {
            "time", "c-ip", "s-ip", "cs-method", "cs-uri-stem", "sc-status", "cs(Referer)", "date", "sc-bytes"};
        const std::vector<std::string> fields =
            text::split(rest.substr(std::min<std::size_t>(1, rest.size())), delimiter_);
        fieldCount_ = fields.size();
        for (int c = 0; c < ColumnCount; ++c) {
            const auto at = std::find_if(fields.begin(), fields.end(),
                                         [&](const std::string& f) { return text::iequals(f, kNames[c]); });
            columns_[c] = at == fields.end() ? -1 : static_cast<int>(at - fields.begin());
        }
    }
}

std::string_view DayTracker::column(Column c) const
{
    return columns_[c] < 0 ? std::string_view("-") : values_[static_cast<std::size_t>(columns_[c])];
}

DayTracker::Visitor& DayTracker::visitorFor(std::string_view date, std::string_view host, std::string_view client,
                                            bool& created)
{
    key_.assign(date).append(",").append(host).append(",").append(client);
    const auto found = index_.find(key_);
    created = found == index_.end();
    if (!created) return visitors_[found->second];
    Visitor v;
    v.key = key_;
    v.dateEnd = date.size();
    v.hostEnd = date.size() + 1 + host.size();
    index_.emplace(key_, visitors_.size());
    visitors_.push_back(std::move(v));
    return visitors_.back();
}

void DayTracker::record(std::string_view line)
{
    if (columns_[Time] < 0 || columns_[Client] < 0 || columns_[Method] < 0 || columns_[UriStem] < 0) return;
    if (dayDate_.empty() && columns_[Date] < 0) return;
    if (!splitExactly(line, delimiter_, fieldCount_, values_)) return;
    if (!analysis::isCountedMethod(column(Method))) return;
    if (dayDate_.empty()) dayDate_ = std::string(column(Date));

    const std::string_view client = column(Client);
    std::string_view host = hosts_.lookup(client);
    if (host == kLookupFailed) host = client;
    const std::string_view time = column(Time);
    const std::string_view path = analysis::requestPath(column(UriStem));
    const RequestKind kind = kindOf(path);
    const bool page = kind == RequestKind::Page;
    const std::string_view server = column(Server);
    url_.clear();
    if (page && server != "-") url_.append("http://").append(server);
    url_.append(path);

    bool created = false;
    Visitor& v = visitorFor(dayDate_, host, client, created);
    const TimeOfDay t = timeParts(time);
    if (created) {
        if (page) {
            v.pages = 1;
            v.firstPage = v.lastPage = url_;
        }
        v.earliest = v.latest = t;
    } else {
        ++v.hits;
        if (page) ++v.pages;
        if (t.known()) {
            const TimeOfDay& e = v.earliest;
            const TimeOfDay& l = v.latest;
            if (earlier(t.hour, t.minute, t.second, e.hour, e.minute, e.second)) {
                v.earliest = t;
                if (page) v.firstPage = url_;
            } else if (page && v.firstPage.empty()) {
                v.firstPage = url_;
            }
            if (earlier(l.hour, l.minute, l.second, t.hour, t.minute, t.second)) {
                v.latest = t;
                if (page) v.lastPage = url_;
            } else if (page && v.lastPage.empty()) {
                v.lastPage = url_;
            }
        }
    }
    v.hundredthsKb += hundredthsOfKilobytes(column(Bytes));

    if (kind == RequestKind::Other) return;
    std::string detail;
    appendField(detail, dayDate_, true);
    appendField(detail, host);
    appendField(detail, client);
    appendField(detail, time);
    appendField(detail, url_);
    appendField(detail, column(Referrer));
    appendField(detail, server);
    appendField(detail, column(Status));
    appendField(detail, column(Bytes));
    details_.push_back(std::move(detail));
}

DayTracker::TimeOfDay DayTracker::timeParts(std::string_view time)
{
    TimeOfDay t;
    if (time.empty() || time == "-") return t;
    const auto part = [time](std::size_t at) {
        long long value = 0;
        if (at >= time.size() || !text::parseInteger(time.substr(at, 2), value)) return -1;
        return static_cast<int>(value);
    };
    t.hour = part(0);
    t.minute = part(3);
    t.second = part(6);
    return t;
}

long long DayTracker::hundredthsOfKilobytes(std::string_view bytes)
{
    if (!text::isNumber(bytes)) return 0;
    if (!bytes.empty() && bytes.front() == '+') bytes.remove_prefix(1);
    double value = 0;
    if (std::from_chars(bytes.data(), bytes.data() + bytes.size(), value).ec != std::errc()) return 0;
    // Halves round to even (the default rounding mode). Sizes beyond any
    // real response are held at a bound so the sum cannot overflow.
    const double hundredths = std::nearbyint(value * 100.0 / 1024.0);
    return static_cast<long long>(std::clamp(hundredths, -1e15, 1e15));
}

std::string DayTracker::summaryLine(const Visitor& v)
{
    const std::string_view key = v.key;
    const std::size_t dateEnd = v.dateEnd;
    const TimeOfDay& e = v.earliest;
    const TimeOfDay& l = v.latest;
    const bool timed = e.known() && l.known();
    std::string line;
    appendField(line, key.substr(0, dateEnd), true);
    appendField(line, key.substr(dateEnd + 1, v.hostEnd - dateEnd - 1));
    appendField(line, key.substr(v.hostEnd + 1));
    appendField(line, std::to_string(v.hits));
    appendField(line, std::to_string(v.pages));
    if (timed) {
        const long long duration =
            (l.hour * 3600LL + l.minute * 60LL + l.second) - (e.hour * 3600LL + e.minute * 60LL + e.second) + 1;
        appendField(line, twoDigits(e.hour) + ":" + twoDigits(e.minute) + ":" + twoDigits(e.second));
        appendField(line, twoDigits(l.hour) + ":" + twoDigits(l.minute) + ":" + twoDigits(l.second));
        appendField(line, std::to_string(duration));
    } else {
        line += ",-,-,-";
    }
    appendField(line, v.firstPage.empty() ? std::string_view("-") : std::string_view(v.firstPage));
    appendField(line, v.lastPage.empty() ? std::string_view("-") : std::string_view(v.lastPage));
    appendField(line, kilobytesText(v.hundredthsKb));
    return line;
}

std::vector<std::string> DayTracker::summaryLines() const
{
    std::vector<const Visitor*> order;
    order.reserve(visitors_.size());
    for (const Visitor& v : visitors_)
        order.push_back(&v);
    std::sort(order.begin(), order.end(),
              [](const Visitor* a, const Visitor* b) { return text::icompare(a->key, b->key) < 0; });
    std::vector<std::string> lines;
    lines.reserve(order.size());
    for (const Visitor* v : order)
        lines.push_back(summaryLine(*v));
    return lines;
}

std::vector<std::string> DayTracker::detailLines()
{
    std::stable_sort(details_.begin(), details_.end(),
                     [](const std::string& a, const std::string& b) { return text::icompare(a, b) < 0; });
    return std::move(details_);
}

}  // namespace larkspan::tracker
