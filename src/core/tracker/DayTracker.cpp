#include "tracker/DayTracker.h"

#include "analysis/RequestClass.h"
#include "common/Text.h"
#include "tracker/HostNameCache.h"
#include "tracker/TrackerLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace larkspan::tracker {

namespace {

enum class RequestKind { Page, Image, Other };

// The list entries by kind, for extensions that hold no ";": such an
// extension occurs in a list exactly when it is one of its entries.
class ExtensionKinds {
public:
    ExtensionKinds()
    {
        add(analysis::kImageExtensions, RequestKind::Image);
        add(analysis::kDownloadExtensions, RequestKind::Page);
        add(analysis::kPageExtensions, RequestKind::Page);
    }
    RequestKind find(std::string_view lowered) const
    {
        const auto it = kinds_.find(lowered);
        return it == kinds_.end() ? RequestKind::Other : it->second;
    }

private:
    void add(std::string_view list, RequestKind kind)
    {
        for (std::size_t start = 0; start < list.size();) {
            const std::size_t end = list.find(';', start);
            kinds_[list.substr(start, end - start)] = kind;
            start = end + 1;
        }
    }
    std::unordered_map<std::string_view, RequestKind> kinds_;
};

// The extension is the text from the path's last "." to its end, lower-cased;
// a path without one, or whose last "." is followed by a backslash or a
// colon, has none and is a page. It is a page when extension + ";" occurs
// in the page or download list (download files count as pages here), an
// image when it occurs in the image list.
RequestKind kindOf(std::string_view path)
{
    static const ExtensionKinds kinds;
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return RequestKind::Page;
    const std::string_view extension = path.substr(dot);
    char lowered[16];
    bool simple = extension.size() <= sizeof lowered;
    for (std::size_t i = 0; i < extension.size(); ++i) {
        const char c = extension[i];
        if (c == '\\' || c == ':') return RequestKind::Page;
        if (c == ';') simple = false;
        if (simple) lowered[i] = text::lower(c);
    }
    if (simple) return kinds.find(std::string_view(lowered, extension.size()));
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
    const char* p = line.data();
    const char* const end = p + line.size();
    for (;;) {
        const auto* at = static_cast<const char*>(std::memchr(p, delimiter, static_cast<std::size_t>(end - p)));
        if (!at) break;
        if (values.size() + 1 == expected) return false;
        values.emplace_back(p, static_cast<std::size_t>(at - p));
        p = at + 1;
    }
    values.emplace_back(p, static_cast<std::size_t>(end - p));
    return values.size() == expected;
}

// ASCII capitals to lower case, inline for the sort keys.
inline char foldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Sorts items by their text without regard to case (text::icompare's
// order), keeping equal texts in their order: each text is folded once and
// then compared bytewise, which gives the same order.
template <typename Item, typename TextOf> void sortFolded(std::vector<Item>& items, TextOf textOf)
{
    std::size_t total = 0;
    for (const Item& item : items)
        total += textOf(item).size();
    std::string folded;
    folded.reserve(total);
    std::vector<std::pair<std::size_t, std::size_t>> spans;  // offset, length
    spans.reserve(items.size());
    for (const Item& item : items) {
        const std::string_view text = textOf(item);
        spans.emplace_back(folded.size(), text.size());
        for (const char c : text)
            folded += foldCase(c);
    }
    std::vector<std::size_t> order(items.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const std::string_view all = folded;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int c = all.substr(spans[a].first, spans[a].second).compare(all.substr(spans[b].first, spans[b].second));
        return c != 0 ? c < 0 : a < b;
    });
    std::vector<Item> sorted;
    sorted.reserve(items.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(items[i]));
    items = std::move(sorted);
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
    // Request lines share one buffer, with a case-folded copy for sorting.
    const std::size_t start = detailText_.size();
    appendField(detailText_, dayDate_, true);
    appendField(detailText_, host);
    appendField(detailText_, client);
    appendField(detailText_, time);
    appendField(detailText_, url_);
    appendField(detailText_, column(Referrer));
    appendField(detailText_, server);
    appendField(detailText_, column(Status));
    appendField(detailText_, column(Bytes));
    const std::size_t length = detailText_.size() - start;
    detailFolded_.resize(start + length);
    for (std::size_t i = start; i < start + length; ++i)
        detailFolded_[i] = text::lower(detailText_[i]);
    detailSpans_.emplace_back(start, length);
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
    // Whole numbers, the usual case, are rounded exactly: bytes * 100 / 1024
    // to the nearest integer, halves to even.
    if (!bytes.empty() && bytes.size() <= 15 &&
        std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        long long value = 0;
        for (const char c : bytes)
            value = value * 10 + (c - '0');
        const long long scaled = value * 100;
        long long quotient = scaled / 1024;
        const long long remainder = scaled % 1024;
        if (remainder > 512 || (remainder == 512 && quotient % 2 != 0)) ++quotient;
        return quotient;
    }
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
    sortFolded(order, [](const Visitor* v) { return std::string_view(v->key); });
    std::vector<std::string> lines;
    lines.reserve(order.size());
    for (const Visitor* v : order)
        lines.push_back(summaryLine(*v));
    return lines;
}

std::vector<std::size_t> DayTracker::detailOrder() const
{
    std::vector<std::size_t> order(detailSpans_.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const std::string_view folded = detailFolded_;
    const auto& spans = detailSpans_;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int c =
            folded.substr(spans[a].first, spans[a].second).compare(folded.substr(spans[b].first, spans[b].second));
        return c != 0 ? c < 0 : a < b;
    });
    return order;
}

std::vector<std::string> DayTracker::detailLines() const
{
    std::vector<std::string> lines;
    for (const std::size_t i : detailOrder())
        lines.emplace_back(detailText_, detailSpans_[i].first, detailSpans_[i].second);
    return lines;
}

std::string DayTracker::detailFileText() const
{
    std::string out;
    out.reserve(detailText_.size() + 2 * detailSpans_.size());
    for (const std::size_t i : detailOrder()) {
        out.append(detailText_, detailSpans_[i].first, detailSpans_[i].second);
        out += "\r\n";
    }
    return out;
}

}  // namespace larkspan::tracker
