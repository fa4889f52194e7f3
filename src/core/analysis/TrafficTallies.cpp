#include "analysis/TrafficTallies.h"

namespace larkspan::analysis {

void TrafficTallies::clear()
{
    robots_.clear();
    statuses_.clear();
    extensions_.clear();
    pages_.clear();
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

void TrafficTallies::countStatus(std::string_view status, double kilobytes)
{
    bool isNew = false;
    VolumeRow& row = statuses_.findOrAdd(status.empty() ? std::string_view("-") : status, isNew);
    ++row.hits;
    row.kilobytes += kilobytes;
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
    bool isNew = false;
    VolumeRow& row = extensions_.findOrAdd(extension, isNew);
    ++row.hits;
    row.kilobytes += kilobytes;
}

void TrafficTallies::countPageVolume(std::string_view serverAddress, std::string_view path, double kilobytes)
{
    scratch_.assign(serverAddress);
    scratch_.append(path);
    bool isNew = false;
    VolumeRow& row = pages_.findOrAdd(scratch_, isNew);
    if (isNew) row.path = row.key.substr(serverAddress.size());
    ++row.hits;
    row.kilobytes += kilobytes;
}

std::string_view extensionOf(std::string_view path, std::string& buffer)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot + 1 == name.size()) return {};
    buffer.assign(name.substr(dot + 1));
    for (char& c : buffer)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return buffer;
}

int hourOf(std::string_view time)
{
    const std::size_t colon = time.find(':');
    if (colon == 0 || colon > 2) return -1;
    int hour = 0;
    for (std::size_t i = 0; i < colon; ++i) {
        if (time[i] < '0' || time[i] > '9') return -1;
        hour = hour * 10 + (time[i] - '0');
    }
    return hour < 24 ? hour : -1;
}

} // namespace larkspan::analysis
