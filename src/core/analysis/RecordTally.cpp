#include "analysis/RecordTally.h"

#include "analysis/RequestClass.h"
#include "analysis/RobotSpotter.h"
#include "analysis/SideTally.h"
#include "analysis/StatisticsTable.h"
#include "common/Dates.h"
#include "common/FoldedWords.h"
#include "common/LargeBlocks.h"
#include "common/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace larkspan::analysis {

namespace {

constexpr int kPage = static_cast<int>(HitType::Page);
constexpr int kDownload = static_cast<int>(HitType::Download);
// About as many user agents as make an index of agents outgrow the caches.
constexpr std::size_t kManyAgents = std::size_t{1} << 15;

std::string_view field(const std::vector<std::string_view>& values, int at)
{
    return at >= 0 ? values[static_cast<std::size_t>(at)] : std::string_view();
}

std::string threeLetters(const char* name)
{
    return std::string(name).substr(0, 3);
}

} // namespace

double kilobytesOf(std::string_view bytes)
{
    // "-": no bytes logged (a 304 answer, say).
    if (bytes.empty() || bytes.size() > 60 || (bytes.size() == 1 && bytes[0] == '-')) return 0;
    // Up to 15 digits the count is exact as an integer and as a double, and
    // so is its division by 1024: rounding the integer quotient gives the
    // same result without floating-point work.
    if (bytes.size() <= 15) {
        std::uint64_t count = 0;
        bool digitsOnly = true;
        for (char c : bytes) {
            const unsigned digit = static_cast<unsigned char>(c) - static_cast<unsigned>('0');
            if (digit > 9) {
                digitsOnly = false;
                break;
            }
            count = count * 10 + digit;
        }
        if (digitsOnly) {
            const std::uint64_t whole = count >> 10;
            const std::uint64_t rest = count & 1023;
            const bool up = rest > 512 || (rest == 512 && (whole & 1) != 0);
            return static_cast<double>(whole + (up ? 1 : 0));
        }
    }
    double value = 0;
    bool digitsOnly = true;
    for (char c : bytes) {
        if (c < '0' || c > '9') {
            digitsOnly = false;
            break;
        }
        value = value * 10 + (c - '0');
    }
    if (!digitsOnly) {
        if (!text::isNumber(bytes)) return 0;
        char buffer[64];
        std::copy(bytes.begin(), bytes.end(), buffer);
        buffer[bytes.size()] = '\0';
        value = std::strtod(buffer, nullptr);
    }
    return std::nearbyint(value / 1024.0); // the default rounding mode rounds halves to even
}

FieldPositions FieldPositions::of(const std::vector<std::string>& names)
{
    auto position = [&names](std::string_view name) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (text::iequals(names[i], name)) return static_cast<int>(i);
        }
        return -1;
    };
    FieldPositions p;
    p.clientAddress = position("c-ip");
    p.method = position("cs-method");
    p.uriStem = position("cs-uri-stem");
    p.status = position("sc-status");
    p.time = position("time");
    p.serverAddress = position("s-ip");
    p.bytes = position("sc-bytes");
    p.userAgent = position("cs(User-Agent)");
    p.referrer = position("cs(Referer)");
    return p;
}

RecordTally::RecordTally(StatisticsTable& table, const RecordFilter& filter, BucketMode mode, bool trackBySessions)
    : table_(table), filter_(filter), mode_(mode), trackBySessions_(trackBySessions)
{
}

void RecordTally::keepTrafficDetails(RobotSpotter* spotter, bool noRobots, bool details)
{
    spotter_ = spotter;
    if (spotter_) table_.shareUserAgentTexts(spotter_->agentTexts());
    noRobots_ = noRobots && spotter;
    details_ = details;
}

void RecordTally::startDay(int dayNumber)
{
    day_ = dayNumber;
    dayBucket_ = nullptr;
    weekday_ = weekday(dayNumber);
    const CivilDate d = civilDate(dayNumber);
    char buffer[64];
    if (mode_ == BucketMode::Daily) {
        dayKey_ = dates::isoDate(d);
        std::snprintf(buffer, sizeof buffer, "%s, %s %d, %04d",
                      threeLetters(dates::dayName(weekday(dayNumber))).c_str(),
                      threeLetters(dates::monthName(d.month)).c_str(), d.day, d.year);
        dayLabel_ = buffer;
    } else if (mode_ == BucketMode::Monthly) {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d", d.year, d.month);
        dayKey_ = buffer;
        std::snprintf(buffer, sizeof buffer, "%s, %04d", dates::monthName(d.month), d.year);
        dayLabel_ = buffer;
    }
}

bool RecordTally::bucketKey(const std::vector<std::string_view>& values, const FieldPositions& at)
{
    if (mode_ == BucketMode::None) return false;
    if (mode_ != BucketMode::Hourly) return true; // the day's key
    if (at.time < 0) return false;
    const std::string_view time = field(values, at.time);
    const std::size_t colon = time.find(':');
    if (time != "-" && colon == std::string_view::npos) return false;
    // A time of "-" (none logged) has the hour text "-": such records are
    // counted in their own bucket "-:00 to -:59" rather than lost.
    const std::string_view hour = time.substr(0, colon);
    key_.assign(hour);
    key_.append(":00 to ");
    key_.append(hour);
    key_.append(":59");
    return true;
}

BucketRow& RecordTally::bucketRow()
{
    const bool hourly = mode_ == BucketMode::Hourly;
    // A day's records all go to the day's (or month's) bucket: it is looked
    // up once a day, while no other bucket can be added.
    const std::vector<BucketRow>& rows = table_.buckets();
    if (dayBucket_ && rows.data() == dayBucketRows_ && dayBucket_ < rows.data() + rows.size()) return *dayBucket_;
    const std::string& key = hourly ? key_ : dayKey_;
    bool isNew = false;
    BucketRow& row = table_.bucket(key, isNew);
    if (row.hits == 0) {
        row.key = key;
        row.label = hourly ? key : dayLabel_;
    }
    if (!hourly) {
        dayBucket_ = &row;
        dayBucketRows_ = table_.buckets().data();
    }
    return row;
}

void RecordTally::tallyBucket(int hitType, bool newVisitor, double kilobytes)
{
    BucketRow& row = bucketRow();
    ++row.hits;
    switch (static_cast<HitType>(hitType)) {
    case HitType::Page:
        ++row.pages;
        break;
    case HitType::Download:
        ++row.downloads;
        break;
    case HitType::Image:
        ++row.images;
        table_.addImageHit();
        break;
    case HitType::Other:
        ++row.others;
        table_.addOtherHit();
        break;
    }
    if (newVisitor) ++row.sessions;
    row.kilobytes += kilobytes;
}

void RecordTally::add(const std::vector<std::string_view>& values, const FieldPositions& at)
{
    const std::string_view path = requestPath(field(values, at.uriStem));
    const std::string_view client = field(values, at.clientAddress);
    if (!filter_.accept(path, client)) return;

    // Worked out once: the buckets, the robots and the details share it.
    const double kilobytes = at.bytes >= 0 ? kilobytesOf(field(values, at.bytes)) : 0;
    const PathEnding ending = classifyEnding(path);
    const HitType type = ending.type;
    const int hitType = static_cast<int>(type);
    const std::string_view status = field(values, at.status);
    const bool error = at.status >= 0 && isErrorStatus(status);
    const std::string_view server = field(values, at.serverAddress);
    const bool counted = at.method >= 0 && isCountedMethod(field(values, at.method));
    const bool pageOrFile = hitType == kPage || hitType == kDownload;
    const bool pageCounted = counted && at.uriStem >= 0 && !error && hitType == kPage;
    const Lookahead ahead = counted ? lookAhead(values, at, server, path, pageOrFile, pageCounted) : Lookahead{};
    if (spotter_ && setApartRobot(values, at, kilobytes, ahead.verdict)) return;
    const bool hasBucket = bucketKey(values, at);
    ++recordsProcessed_;

    if (counted) {
        bool newVisitor = false;
        Visitor& visitor = visitors_.findOrAdd(client, newVisitor, ahead.visitor);
        if (pageOrFile)
            requestCarries_.increment(static_cast<std::size_t>(&visitor - visitors_.rows().data()), visitor.requests_);

        if (hasBucket) tallyBucket(hitType, newVisitor, kilobytes);
        const bool selected = trackBySessions_ ? newVisitor : pageOrFile;
        if (at.referrer >= 0 && selected) countReferrer(field(values, at.referrer), ahead.referrer);
        if (at.uriStem >= 0 && !error) {
            if (hitType == kPage) countPage(server, path, kilobytes, ahead.page);
            if (hitType == kDownload) {
                if (details_ && status == "206") {
                    table_.traffic().countPartialDownload();
                } else {
                    countDownload(server, path);
                }
            }
        }
        if (details_) tallyDetails(newVisitor, ending.extension, kilobytes, values, at);
        if (at.userAgent >= 0 && selected) countUserAgent(field(values, at.userAgent), ahead.agent);
    }
    if (details_ && at.status >= 0) {
        TrafficTallies& traffic = table_.traffic();
        traffic.countStatus(status, kilobytes);
        if (status == "404" && at.uriStem >= 0) traffic.countNotFound(path, field(values, at.referrer));
    }
    if (error) {
        table_.countErrorStatus(status);
        if (counted && (hitType == kPage || hitType == kDownload)) {
            if (hitType == kPage) {
                table_.countPageError(status);
                addErrorAddress('P', status, server, path);
            } else {
                table_.countDownloadError(status);
                addErrorAddress('D', status, server, path);
            }
        }
    }
}

RecordTally::Lookahead RecordTally::lookAhead(const std::vector<std::string_view>& values, const FieldPositions& at,
                                              std::string_view server, std::string_view path, bool pageOrFile,
                                              bool pageCounted)
{
    // Only the look-ups that will be made: with sessions tracked, whether
    // the referrer and the agent count is known only once the visitor is.
    Lookahead ahead;
    ahead.visitor = visitors_.prefetch(field(values, at.clientAddress));
    // The verdicts' index outgrows the caches only with many agents, when
    // the agent list is long too (a check that costs next to nothing).
    if (spotter_ && at.userAgent >= 0 && table_.userAgents().size() >= kManyAgents)
        ahead.verdict = spotter_->prefetch(field(values, at.userAgent));
    // The side tally hashes the keys it counts itself.
    if (pageCounted && !side_) ahead.page = table_.prefetchPage(server, path);
    if (!trackBySessions_ && pageOrFile) {
        if (at.referrer >= 0 && !side_) ahead.referrer = table_.prefetchReferrer(field(values, at.referrer));
        // With a spotter the agent's row is known from its verdict.
        if (at.userAgent >= 0 && !spotter_) ahead.agent = table_.prefetchUserAgent(field(values, at.userAgent));
    }
    return ahead;
}

void RecordTally::countUserAgent(std::string_view agent, const KeyHint& hint)
{
    if (!spotter_) {
        table_.countUserAgent(agent, {}, nullptr, hint);
        return;
    }
    // The spotter judged this record's agent, keeps a copy of it and knows
    // its row in the agent list once it has one: the list is never
    // searched for the long agent text, and needs no index.
    if (const std::uint32_t row = spotter_->lastAgentRow()) {
        table_.countUserAgentAt(row - 1);
        return;
    }
    spotter_->setLastAgentRow(table_.countNewUserAgent(agent, spotter_->lastAgent(), spotter_->agentTexts().get()));
}

void RecordTally::countReferrer(std::string_view referrer, const KeyHint& hint)
{
    if (side_) {
        side_->countReferrer(referrer);
    } else {
        table_.countReferrer(referrer, hint);
    }
}

void RecordTally::countPage(std::string_view server, std::string_view path, double kilobytes, const KeyHint& hint)
{
    if (side_) {
        side_->countPage(server, path, kilobytes);
    } else {
        table_.countPage(server, path, kilobytes, hint);
    }
}

void RecordTally::countDownload(std::string_view server, std::string_view path)
{
    if (side_) {
        side_->countDownload(server, path);
    } else {
        table_.countDownload(server, path);
    }
}

void RecordTally::addErrorAddress(char kind, std::string_view status, std::string_view server, std::string_view path)
{
    if (side_) {
        side_->addErrorAddress(kind, status, server, path, table_.gridRows());
        return;
    }
    std::string key(server);
    key.append(path);
    table_.addErrorAddress(kind, status, key);
}

bool RecordTally::setApartRobot(const std::vector<std::string_view>& values, const FieldPositions& at, double kilobytes,
                                const KeyHint& hint)
{
    if (at.userAgent < 0) return false;
    const std::string* name = spotter_->robotName(field(values, at.userAgent), hint);
    if (!name) return false;
    if (details_ || noRobots_) table_.traffic().countRobot(*name, kilobytes, day_, field(values, at.time));
    return noRobots_;
}

void RecordTally::tallyDetails(bool newVisitor, std::string_view extension, double kilobytes,
                               const std::vector<std::string_view>& values, const FieldPositions& at)
{
    TrafficTallies& traffic = table_.traffic();
    traffic.countTime(at.time >= 0 ? hourOf(field(values, at.time)) : -1, weekday_, kilobytes, newVisitor);
    if (at.uriStem >= 0) traffic.countExtension(extension, kilobytes);
}

std::vector<const Visitor*> RecordTally::sortedVisitors()
{
    // A big index only: a small one is kept for the next day.
    if (visitors_.largeIndex()) visitors_.dropIndex();
    // Each visitor sorts by its first eight bytes folded to lower case and
    // packed so that integer order is byte order; only visitors sharing
    // those compare their whole addresses. No address is copied.
    struct Keyed {
        std::uint64_t prefix;
        const Visitor* visitor;
    };
    memory::LargeVector<Keyed> keyed;
    keyed.reserve(visitors_.size());
    for (const Visitor& visitor : visitors_.rows())
        keyed.push_back(Keyed{text::words::foldedPrefix(visitor.key()), &visitor});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        return text::icompare(a.visitor->key(), b.visitor->key()) < 0;
    });
    std::vector<const Visitor*> out;
    out.reserve(keyed.size());
    for (const Keyed& entry : keyed)
        out.push_back(entry.visitor);
    return out;
}

} // namespace larkspan::analysis

namespace larkspan::analysis {

std::string RecordTally::demographicLines()
{
    const std::vector<const Visitor*> visitors = sortedVisitors();
    // Sized first: the text of a big day is held once, without slack.
    const auto digits = [](std::uint64_t n) {
        std::size_t count = 1;
        for (n /= 10; n != 0; n /= 10)
            ++count;
        return count;
    };
    std::size_t size = 0;
    for (const Visitor* v : visitors)
        size += v->size_ + digits(requestsOf(*v)) + 3;
    std::string text;
    text.reserve(size);
    for (const Visitor* v : visitors) {
        text += v->key();
        text += ',';
        text += std::to_string(requestsOf(*v));
        text += "\r\n";
    }
    return text;
}

} // namespace larkspan::analysis
