#include "tracker/DayTracker.h"

#include "analysis/RequestClass.h"
#include "common/FieldSplit.h"
#include "common/FoldedWords.h"
#include "common/StagedFile.h"
#include "common/Text.h"
#include "tracker/HostNameCache.h"
#include "tracker/TrackerLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>

namespace larkspan::tracker {

namespace {

enum class RequestKind { Page, Image, Other };

// The list entries by kind, for extensions that hold no ";": such an
// extension occurs in a list exactly when it is one of its entries. Entries
// are looked up as one word each (bytes and length) in a small open table,
// as every request asks.
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
        if (lowered.empty() || lowered.size() > kLongest) return RequestKind::Other;
        const std::uint64_t key = wordOf(lowered);
        for (std::size_t slot = slotOf(key);; slot = (slot + 1) % kSlots) {
            if (slots_[slot].key == key) return slots_[slot].kind;
            if (slots_[slot].key == 0) return RequestKind::Other;
        }
    }

  private:
    static constexpr std::size_t kLongest = 7;
    static constexpr std::size_t kSlots = 256;
    struct Slot {
        std::uint64_t key = 0; // 0: empty
        RequestKind kind = RequestKind::Other;
    };

    // The bytes in the low seven bytes, the length in the top one: never 0
    // for a non-empty text.
    static std::uint64_t wordOf(std::string_view text)
    {
        std::uint64_t word = 0;
        for (std::size_t i = 0; i < text.size(); ++i)
            word |= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
        return word | (std::uint64_t{text.size()} << 56);
    }
    static std::size_t slotOf(std::uint64_t key) { return (key * 0x9E3779B97F4A7C15ull) >> 56; }

    void add(std::string_view list, RequestKind kind)
    {
        for (std::size_t start = 0; start < list.size();) {
            const std::size_t end = list.find(';', start);
            const std::string_view entry = list.substr(start, end - start);
            if (entry.empty() || entry.size() > kLongest) throw std::logic_error("extension list entry too long");
            const std::uint64_t key = wordOf(entry);
            std::size_t slot = slotOf(key);
            while (slots_[slot].key != 0 && slots_[slot].key != key)
                slot = (slot + 1) % kSlots;
            slots_[slot] = {key, kind};
            start = end + 1;
        }
    }
    Slot slots_[kSlots];
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

void appendTwoDigits(std::string& out, int value)
{
    if (value < 0 || value > 99) {
        out += std::to_string(value);
        return;
    }
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}

void appendClock(std::string& out, int hour, int minute, int second)
{
    appendTwoDigits(out, hour);
    out += ':';
    appendTwoDigits(out, minute);
    out += ':';
    appendTwoDigits(out, second);
}

// Two digits at the start of text, or -1.
int twoDigitsAt(std::string_view text, std::size_t at)
{
    if (at + 2 > text.size()) return -1;
    const unsigned tens = static_cast<unsigned char>(text[at]) - '0';
    const unsigned ones = static_cast<unsigned char>(text[at + 1]) - '0';
    if (tens > 9 || ones > 9) return -1;
    return static_cast<int>(tens * 10 + ones);
}

// A stable sort for the few lines of one visitor, which mostly come in
// order already.
template <typename Iterator, typename Less> void insertionSort(Iterator first, Iterator last, Less less)
{
    for (Iterator i = first; i != last; ++i) {
        const auto item = *i;
        Iterator j = i;
        for (; j != first && less(item, *(j - 1)); --j)
            *j = *(j - 1);
        *j = item;
    }
}

// How many bytes all the texts begin with alike, without regard to case.
std::size_t sharedBeginning(std::span<const std::string_view> texts)
{
    if (texts.empty()) return 0;
    std::size_t shared = texts[0].size();
    for (const std::string_view t : texts.subspan(1)) {
        std::size_t i = 0;
        const std::size_t n = std::min(shared, t.size());
        while (i < n && text::lower(t[i]) == text::lower(texts[0][i]))
            ++i;
        shared = i;
    }
    return shared;
}

// The order of texts without regard to case, equal texts in their own
// order. Each text is sorted with the eight folded bytes after the
// beginning all share (the date, mostly) as one number, so most comparisons
// read nothing else.
std::vector<std::size_t> foldedOrder(std::span<const std::string_view> texts)
{
    struct Item {
        std::uint64_t key;
        std::string_view rest; // after the shared beginning
        std::size_t index;
    };
    const std::size_t shared = sharedBeginning(texts);
    std::vector<Item> items(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string_view rest = texts[i].substr(shared);
        items[i] = {text::words::foldedPrefix(rest), rest, i};
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        if (a.key != b.key) return a.key < b.key;
        return text::icompare(a.rest, b.rest) < 0;
    });
    std::vector<std::size_t> order(items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        order[i] = items[i].index;
    return order;
}

} // namespace

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

DayTracker::DayTracker(const BuildHostNames& hosts, Buffers reused)
    : hosts_(hosts), visitors_(std::move(reused.visitors)), detailText_(std::move(reused.detailText)),
      requests_(std::move(reused.requests))
{
    std::fill(std::begin(columns_), std::end(columns_), -1);
    visitors_.clear();
    detailText_.clear();
    requests_.clear();
}

DayTracker::Buffers DayTracker::releaseBuffers()
{
    index_.clear();
    Buffers buffers;
    buffers.visitors = std::move(visitors_);
    buffers.detailText = std::move(detailText_);
    buffers.requests = std::move(requests_);
    buffers.visitors.clear();
    buffers.detailText.clear();
    buffers.requests.clear();
    return buffers;
}

void DayTracker::reserveFor(std::size_t dayFileBytes)
{
    // Request lines leave out the agent and most other fields: they take
    // about a third of the day file.
    detailText_.reserve(dayFileBytes / 2);
    requests_.reserve(dayFileBytes / 256);
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
        ++dateVersion_;
    } else if (name == "#FIELDS") {
        static constexpr std::string_view kNames[ColumnCount] = {
            "time", "c-ip", "s-ip", "cs-method", "cs-uri-stem", "sc-status", "cs(Referer)", "date", "sc-bytes"};
        const std::vector<std::string> fields =
            text::split(rest.substr(std::min<std::size_t>(1, rest.size())), delimiter_);
        fieldCount_ = fields.size();
        values_.assign(fieldCount_, {});
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

std::size_t DayTracker::visitorFor(std::string_view date, std::string_view host, std::string_view client, bool& created)
{
    key_.assign(date).append(",").append(host).append(",").append(client);
    const auto found = index_.find(key_);
    created = found == index_.end();
    if (!created) return found->second;
    Visitor v;
    key_ += ',';
    v.key = texts_.store(key_);
    v.key.remove_suffix(1);
    v.dateEnd = date.size();
    v.hostEnd = date.size() + 1 + host.size();
    index_.emplace(v.key, visitors_.size());
    visitors_.push_back(std::move(v));
    return visitors_.size() - 1;
}

std::size_t DayTracker::takeLine(std::string_view text, bool last)
{
    if (text.empty()) return 0;
    // Splitting and the search for the line's end are one pass, unless a
    // delimiter could be taken for a line break.
    if (text.front() != '#' && takesRecords() && delimiter_ != '\r' && delimiter_ != '\n') {
        const text::SplitLine split = splitLine_(text, delimiter_, values_, false);
        if (split.length == std::string_view::npos && !last) return 0;
        const std::size_t length = split.length == std::string_view::npos ? text.size() : split.length;
        if (split.count == fieldCount_) {
            if (length > 0 && text[length - 1] == '\r') values_.back().remove_suffix(1);
            recordValues();
        }
        return length == text.size() ? length : length + 1;
    }
    const void* lineFeed = std::memchr(text.data(), '\n', text.size());
    if (lineFeed == nullptr && !last) return 0;
    const std::size_t length =
        lineFeed == nullptr ? text.size() : static_cast<std::size_t>(static_cast<const char*>(lineFeed) - text.data());
    std::string_view line = text.substr(0, length);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    addLine(line);
    return lineFeed == nullptr ? length : length + 1;
}

bool DayTracker::takesRecords() const
{
    if (columns_[Time] < 0 || columns_[Client] < 0 || columns_[Method] < 0 || columns_[UriStem] < 0) return false;
    return !dayDate_.empty() || columns_[Date] >= 0;
}

void DayTracker::record(std::string_view line)
{
    if (!takesRecords()) return;
    if (text::splitValues(line, delimiter_, values_) != fieldCount_) return;
    recordValues();
}

void DayTracker::recordValues()
{
    if (!analysis::isCountedMethod(column(Method))) return;
    if (dayDate_.empty()) {
        dayDate_ = std::string(column(Date));
        ++dateVersion_;
    }

    const std::string_view client = column(Client);
    bool created = false;
    if (!haveLast_ || spellingsDateVersion_ != dateVersion_ || last_.spelling != client) findClient(client, created);
    const std::string_view path = analysis::requestPath(column(UriStem));
    const RequestKind kind = kindOf(path);
    const bool page = kind == RequestKind::Page;
    // Only pages and images name their URL (a first or last page, a request line).
    url_.clear();
    if (kind != RequestKind::Other) {
        const std::string_view server = column(Server);
        if (page && server != "-") url_.append("http://").append(server);
        url_.append(path);
    }

    Visitor& v = visitors_[last_.visitor];
    countRequest(v, created, page, timeParts(column(Time)));
    v.hundredthsKb += hundredthsOfKilobytes(column(Bytes));
    if (kind != RequestKind::Other) addRequest(requestFieldsPlain());
}

// True when no value a request line takes from the record holds a comma or a
// quote. Those values lie in one stretch of the line, and a look at the
// whole stretch is cheaper than one at each value; a mark anywhere in it
// (say in a user name between them) only sends the line the careful way.
bool DayTracker::requestFieldsPlain() const
{
    static constexpr Column kTaken[] = {Time, Server, UriStem, Referrer, Status, Bytes};
    const char* first = nullptr;
    const char* last = nullptr;
    for (const Column c : kTaken) {
        if (columns_[c] < 0) continue;
        const std::string_view value = values_[static_cast<std::size_t>(columns_[c])];
        if (first == nullptr || value.data() < first) first = value.data();
        if (last == nullptr || value.data() + value.size() > last) last = value.data() + value.size();
    }
    return first == nullptr || !needsQuotes(std::string_view(first, static_cast<std::size_t>(last - first)));
}

void DayTracker::countRequest(Visitor& v, bool created, bool page, TimeOfDay t)
{
    if (created) {
        if (page) {
            v.pages = 1;
            v.firstPage = v.lastPage = url_;
        }
        v.earliest = v.latest = t;
        return;
    }
    ++v.hits;
    if (page) ++v.pages;
    if (!t.known()) return;
    const TimeOfDay& e = v.earliest;
    const TimeOfDay& l = v.latest;
    if (t.packed < e.packed) {
        v.earliest = t;
        if (page) v.firstPage = url_;
    } else if (page && v.firstPage.empty()) {
        v.firstPage = url_;
    }
    if (l.packed < t.packed) {
        v.latest = t;
        if (page) v.lastPage = url_;
    } else if (page && v.lastPage.empty()) {
        v.lastPage = url_;
    }
}

// A client other than the previous record's. A change of date starts the
// spellings afresh, as the visitors then are others.
void DayTracker::findClient(std::string_view client, bool& created)
{
    if (spellingsDateVersion_ != dateVersion_) {
        spellings_.clear();
        spellingsDateVersion_ = dateVersion_;
    }
    if (const ResolvedClient* known = spellings_.find(client)) {
        last_ = *known;
    } else {
        last_ = newClient(client, created);
        spellings_.add(last_);
    }
    haveLast_ = true;
}

// A spelling not met before on this date (or not lately): its host name,
// visitor and the date, host and client part its request lines begin with.
// Lines whose part is the same without regard to case share a prefix group,
// so the sort compares those parts once per group. A part without quotes is
// its visitor's key, and the visitor stands for the group. The spelling
// that made the visitor is the end of its key, and its part the key with
// the comma after it.
ResolvedClient DayTracker::newClient(std::string_view client, bool& created)
{
    std::string_view host = hosts_.lookup(client);
    if (host == kLookupFailed) host = client;
    ResolvedClient known;
    known.visitor = visitorFor(dayDate_, host, client, created);
    const std::string_view key = visitors_[known.visitor].key;
    const std::string_view keyWithComma(key.data(), key.size() + 1);
    known.spelling = created ? key.substr(visitors_[known.visitor].hostEnd + 1) : texts_.store(client);
    prefix_.clear();
    appendField(prefix_, dayDate_, true);
    appendField(prefix_, host);
    appendField(prefix_, client);
    prefix_ += ',';
    if (prefix_.size() == dayDate_.size() + host.size() + client.size() + 3) {
        known.group = known.visitor;
    } else {
        const auto [at, added] = quotedIndex_.try_emplace(prefix_, quotedPrefixes_.size());
        if (added) quotedPrefixes_.push_back(prefix_);
        known.group = kQuotedGroup | at->second;
    }
    known.prefix = prefix_ == keyWithComma ? keyWithComma : texts_.store(prefix_);
    return known;
}

void DayTracker::addRequest(bool plain)
{
    const std::size_t start = detailText_.size();
    detailText_ += last_.prefix;
    const std::string_view rest[] = {column(Time),   url_,           column(Referrer),
                                     column(Server), column(Status), column(Bytes)};
    if (plain)
        appendPlainFields(detailText_, rest);
    else
        appendFields(detailText_, rest);
    requests_.push_back({start, static_cast<std::uint32_t>(detailText_.size() - start),
                         static_cast<std::uint32_t>(last_.prefix.size()), last_.group});
}

DayTracker::TimeOfDay DayTracker::timeParts(std::string_view time)
{
    TimeOfDay t;
    if (time.empty() || time == "-") return t;
    const auto part = [&](std::size_t at) { return static_cast<std::uint32_t>(twoDigitsAt(time, at) + 1); };
    t.packed = part(0) << 16 | part(3) << 8 | part(6);
    return t;
}

long long DayTracker::hundredthsOfKilobytes(std::string_view bytes)
{
    // Whole numbers, the usual case, are rounded exactly: bytes * 100 / 1024
    // to the nearest integer, halves to even.
    long long value = 0;
    std::size_t digits = 0;
    if (bytes.size() <= 15)
        for (; digits < bytes.size(); ++digits) {
            const unsigned digit = static_cast<unsigned char>(bytes[digits]) - '0';
            if (digit > 9) break;
            value = value * 10 + digit;
        }
    if (!bytes.empty() && digits == bytes.size()) {
        const long long scaled = value * 100;
        long long quotient = scaled / 1024;
        const long long remainder = scaled % 1024;
        if (remainder > 512 || (remainder == 512 && quotient % 2 != 0)) ++quotient;
        return quotient;
    }
    if (!text::isNumber(bytes)) return 0;
    if (!bytes.empty() && bytes.front() == '+') bytes.remove_prefix(1);
    double number = 0;
    if (std::from_chars(bytes.data(), bytes.data() + bytes.size(), number).ec != std::errc()) return 0;
    // Halves round to even (the default rounding mode). Sizes beyond any
    // real response are held at a bound so the sum cannot overflow.
    const double hundredths = std::nearbyint(number * 100.0 / 1024.0);
    return static_cast<long long>(std::clamp(hundredths, -1e15, 1e15));
}

void DayTracker::appendSummaryLine(std::string& line, const Visitor& v)
{
    const std::string_view key = v.key;
    const std::size_t dateEnd = v.dateEnd;
    const TimeOfDay& e = v.earliest;
    const TimeOfDay& l = v.latest;
    appendField(line, key.substr(0, dateEnd), true);
    appendField(line, key.substr(dateEnd + 1, v.hostEnd - dateEnd - 1));
    appendField(line, key.substr(v.hostEnd + 1));
    line += ',';
    line += std::to_string(v.hits);
    line += ',';
    line += std::to_string(v.pages);
    if (e.known() && l.known()) {
        const long long duration = (l.hour() * 3600LL + l.minute() * 60LL + l.second()) -
                                   (e.hour() * 3600LL + e.minute() * 60LL + e.second()) + 1;
        line += ',';
        appendClock(line, e.hour(), e.minute(), e.second());
        line += ',';
        appendClock(line, l.hour(), l.minute(), l.second());
        line += ',';
        line += std::to_string(duration);
    } else {
        line += ",-,-,-";
    }
    appendField(line, v.firstPage.empty() ? std::string_view("-") : std::string_view(v.firstPage));
    appendField(line, v.lastPage.empty() ? std::string_view("-") : std::string_view(v.lastPage));
    appendField(line, kilobytesText(v.hundredthsKb));
}

std::vector<std::size_t> DayTracker::visitorOrder() const
{
    std::vector<std::string_view> keys(visitors_.size());
    for (std::size_t i = 0; i < visitors_.size(); ++i)
        keys[i] = visitors_[i].key;
    return foldedOrder(keys);
}

std::vector<std::string> DayTracker::summaryLines() const
{
    std::vector<std::string> lines;
    lines.reserve(visitors_.size());
    for (const std::size_t i : visitorOrder()) {
        lines.emplace_back();
        appendSummaryLine(lines.back(), visitors_[i]);
    }
    return lines;
}

void DayTracker::writeSummary(TextSink& sink) const
{
    std::string line;
    for (const std::size_t i : visitorOrder()) {
        line.clear();
        appendSummaryLine(line, visitors_[i]);
        line += "\r\n";
        sink.append(line);
    }
}

// Request lines ordered by prefix (a bucket per prefix, in reading order),
// then within each prefix by the rest of the line; a prefix's lines are
// usually in time order already and are then left as they are.
std::vector<std::size_t> DayTracker::detailOrder() const
{
    // Group texts: a plain group's is the part of its first request line,
    // which is its visitor's key and the comma in some spelling: spellings
    // of one key compare equal.
    const std::string_view all = detailText_;
    std::vector<std::string_view> texts;
    std::vector<std::size_t> plainSlot(visitors_.size(), kNone);
    for (const Request& r : requests_) {
        if ((r.group & kQuotedGroup) == 0 && plainSlot[r.group] == kNone) {
            plainSlot[r.group] = texts.size();
            texts.push_back(all.substr(r.offset, r.restOffset));
        }
    }
    const std::size_t plainCount = texts.size();
    texts.insert(texts.end(), quotedPrefixes_.begin(), quotedPrefixes_.end());
    const auto slotOf = [&](std::size_t group) {
        return (group & kQuotedGroup) != 0 ? plainCount + (group & ~kQuotedGroup) : plainSlot[group];
    };
    const std::vector<std::size_t> groupOrder = foldedOrder(texts);
    std::vector<std::size_t> rank(texts.size());
    for (std::size_t r = 0; r < groupOrder.size(); ++r)
        rank[groupOrder[r]] = r;
    std::vector<std::size_t> bucketStart(texts.size() + 1, 0);
    for (const Request& r : requests_)
        ++bucketStart[rank[slotOf(r.group)] + 1];
    for (std::size_t b = 1; b < bucketStart.size(); ++b)
        bucketStart[b] += bucketStart[b - 1];
    std::vector<std::size_t> order(requests_.size());
    std::vector<std::size_t> next(bucketStart.begin(), bucketStart.end() - 1);
    for (std::size_t i = 0; i < requests_.size(); ++i)
        order[next[rank[slotOf(requests_[i].group)]]++] = i;

    // Within a group the lines differ mostly in their first eight bytes (the
    // time), taken as one number.
    const auto rest = [&](std::size_t i) {
        const Request& r = requests_[i];
        return all.substr(r.offset + r.restOffset, r.length - r.restOffset);
    };
    std::vector<std::uint64_t> restKey(requests_.size());
    for (std::size_t i = 0; i < requests_.size(); ++i)
        restKey[i] = text::words::foldedPrefix(rest(i));
    const auto before = [&](std::size_t a, std::size_t b) {
        if (restKey[a] != restKey[b]) return restKey[a] < restKey[b];
        return text::icompare(rest(a), rest(b)) < 0;
    };
    for (std::size_t b = 0; b + 1 < bucketStart.size(); ++b) {
        const auto first = order.begin() + static_cast<std::ptrdiff_t>(bucketStart[b]);
        const auto last = order.begin() + static_cast<std::ptrdiff_t>(bucketStart[b + 1]);
        if (last - first <= 32)
            insertionSort(first, last, before);
        else if (!std::is_sorted(first, last, before))
            std::stable_sort(first, last, before);
    }
    return order;
}

std::vector<std::string> DayTracker::detailLines() const
{
    std::vector<std::string> lines;
    lines.reserve(requests_.size());
    for (const std::size_t i : detailOrder())
        lines.emplace_back(detailText_, requests_[i].offset, requests_[i].length);
    return lines;
}

void DayTracker::writeDetail(TextSink& sink) const
{
    const std::string_view all = detailText_;
    for (const std::size_t i : detailOrder()) {
        sink.append(all.substr(requests_[i].offset, requests_[i].length));
        sink.append("\r\n");
    }
}

} // namespace larkspan::tracker
