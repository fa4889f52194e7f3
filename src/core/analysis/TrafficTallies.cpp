#include "analysis/TrafficTallies.h"

#include <algorithm>

namespace larkspan::analysis {

void TrafficTallies::clear()
{
    robots_.clear();
    statuses_.clear();
    extensions_.clear();
    shortStatuses_.clear();
    statusCodes_.fill(0);
    shortExtensions_.clear();
    notFound_.clear();
    notFoundReferrers_.clear();
    hours_ = {};
    weekdays_ = {};
    robotHits_ = 0;
    partialDownloads_ = 0;
}

void TrafficTallies::countRobot(std::string_view name, double kilobytes, int day, std::string_view time)
{
    bool isNew = false;
    RobotRow& row = robots_.findOrAdd(name, isNew);
    ++row.hits;
    row.kilobytes += kilobytes;
    // Day files are read in date order and a day's records in log order, so
    // a later day or a later time of the same day is the later visit.
    if (isNew || day > row.lastDay || (day == row.lastDay && time >= row.lastTime)) {
        row.lastDay = day;
        row.lastTime.assign(time.empty() ? std::string_view("-") : time);
    }
    ++robotHits_;
}

namespace {

// The row of a key not found in index, made when new.
[[gnu::noinline]] VolumeRow& addVolumeRow(KeyedRows<VolumeRow>& rows, ShortKeyIndex& index, std::string_view key,
                                          bool& isNew)
{
    VolumeRow& row = rows.findOrAdd(key, isNew);
    if (ShortKeyIndex::fits(key)) index.add(key, static_cast<std::size_t>(&row - rows.rows().data()));
    return row;
}

// The row of key in rows, made when new; short keys are found through index.
inline VolumeRow& volumeRow(KeyedRows<VolumeRow>& rows, ShortKeyIndex& index, std::string_view key, bool& isNew)
{
    const long at = ShortKeyIndex::fits(key) ? index.find(key) : -1;
    if (at < 0) return addVolumeRow(rows, index, key, isNew);
    isNew = false;
    return rows.rows()[static_cast<std::size_t>(at)];
}

} // namespace

void TrafficTallies::countStatus(std::string_view status, double kilobytes)
{
    // Nearly every status is three digits: their rows are found by number.
    const bool threeDigits = status.size() == 3 && status[0] >= '0' && status[0] <= '9' && status[1] >= '0' &&
                             status[1] <= '9' && status[2] >= '0' && status[2] <= '9';
    const std::size_t code =
        threeDigits ? static_cast<std::size_t>((status[0] - '0') * 100 + (status[1] - '0') * 10 + (status[2] - '0'))
                    : 0;
    if (threeDigits && statusCodes_[code] != 0) {
        VolumeRow& row = statuses_.rows()[statusCodes_[code] - 1];
        ++row.hits;
        row.kilobytes += kilobytes;
        return;
    }
    bool isNew = false;
    VolumeRow& row = volumeRow(statuses_, shortStatuses_, status.empty() ? std::string_view("-") : status, isNew);
    if (threeDigits) statusCodes_[code] = static_cast<std::uint32_t>(&row - statuses_.rows().data() + 1);
    ++row.hits;
    row.kilobytes += kilobytes;
}

void TrafficTallies::mergeFrom(const TrafficTallies& part)
{
    bool isNew = false;
    for (const RobotRow& from : part.robots_.rows()) {
        RobotRow& to = robots_.findOrAdd(from.key, isNew);
        to.hits += from.hits;
        to.kilobytes += from.kilobytes;
        to.lastDay = from.lastDay;
        to.lastTime = from.lastTime;
    }
    for (const VolumeRow& from : part.statuses_.rows()) {
        VolumeRow& to = volumeRow(statuses_, shortStatuses_, from.key, isNew);
        to.hits += from.hits;
        to.kilobytes += from.kilobytes;
    }
    for (const VolumeRow& from : part.extensions_.rows()) {
        VolumeRow& to = volumeRow(extensions_, shortExtensions_, from.key, isNew);
        to.hits += from.hits;
        to.kilobytes += from.kilobytes;
    }
    for (const NotFoundRow& from : part.notFound_.rows())
        notFound_.findOrAdd(from.key, isNew).hits += from.hits;
    for (const NotFoundRow& from : part.notFoundReferrers_.rows())
        notFoundReferrers_.findOrAdd(from.key, isNew).hits += from.hits;
    const auto addSlots = [](auto& to, const auto& from) {
        for (std::size_t i = 0; i < to.size(); ++i) {
            to[i].hits += from[i].hits;
            to[i].kilobytes += from[i].kilobytes;
            to[i].sessions += from[i].sessions;
        }
    };
    addSlots(hours_, part.hours_);
    addSlots(weekdays_, part.weekdays_);
    robotHits_ += part.robotHits_;
    partialDownloads_ += part.partialDownloads_;
}

void TrafficTallies::countNotFound(std::string_view path, std::string_view referrer)
{
    bool isNew = false;
    ++notFound_.findOrAdd(path, isNew).hits;
    scratch_.assign(path);
    scratch_ += '\t';
    scratch_.append(referrer.empty() ? std::string_view("-") : referrer);
    ++notFoundReferrers_.findOrAdd(scratch_, isNew).hits;
}

void TrafficTallies::countTime(int hour, int weekday, double kilobytes, bool newVisitor)
{
    const auto add = [&](TimeSlot& slot) {
        ++slot.hits;
        slot.kilobytes += kilobytes;
        if (newVisitor) ++slot.sessions;
    };
    if (hour >= 0 && hour < 24) add(hours_[static_cast<std::size_t>(hour)]);
    if (weekday >= 0 && weekday < 7) add(weekdays_[static_cast<std::size_t>(weekday)]);
}

void TrafficTallies::countExtension(std::string_view extension, double kilobytes)
{
    // The short-key index folds case itself: a row found so needs no
    // lower-cased copy of the key.
    const long found = ShortKeyIndex::fits(extension) ? shortExtensions_.find(extension) : -1;
    if (found >= 0) {
        VolumeRow& row = extensions_.rows()[static_cast<std::size_t>(found)];
        ++row.hits;
        row.kilobytes += kilobytes;
        return;
    }
    // Rows match without regard to case and the report shows lower case, so
    // a key is stored in lower case from the start.
    std::string_view key = extension;
    if (std::any_of(extension.begin(), extension.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) {
        scratch_.assign(extension);
        for (char& c : scratch_)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        key = scratch_;
    }
    bool isNew = false;
    VolumeRow& row = volumeRow(extensions_, shortExtensions_, key, isNew);
    ++row.hits;
    row.kilobytes += kilobytes;
}

int hourOf(std::string_view time)
{
    // One or two digits before the first colon.
    const auto digit = [&time](std::size_t i) {
        return i < time.size() && time[i] >= '0' && time[i] <= '9' ? time[i] - '0' : -1;
    };
    int hour = digit(0);
    if (hour < 0) return -1;
    if (time.size() > 1 && time[1] != ':') {
        const int second = digit(1);
        if (second < 0 || time.size() < 3 || time[2] != ':') return -1;
        hour = hour * 10 + second;
    } else if (time.size() < 2) {
        return -1;
    }
    return hour < 24 ? hour : -1;
}

} // namespace larkspan::analysis
