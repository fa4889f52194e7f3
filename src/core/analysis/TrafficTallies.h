#pragma once

#include "analysis/KeyedRows.h"
#include "analysis/ShortKeyIndex.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace larkspan::analysis {

// A robot by the name it is reported under.
// Keys (and a page's path, the end of its key) are the tallies' own text and
// live as long as the tallies.
struct RobotRow {
    std::string_view key; // the robot's name
    long long hits = 0;
    double kilobytes = 0;
    int lastDay = 0;      // day number of the latest request seen
    std::string lastTime; // its logged time ("hh:mm:ss"), "-" when none
};

// A status code or a file extension with its requests and kilobytes.
struct VolumeRow {
    std::string_view key;
    long long hits = 0;
    double kilobytes = 0;
};

// A requested path that got 404, or one (path, referrer) pair of them.
struct NotFoundRow {
    std::string_view key;
    long long hits = 0;
};

// One hour of the day or one day of the week, over the whole range.
struct TimeSlot {
    long long hits = 0;
    double kilobytes = 0;
    long long sessions = 0; // new visitors of a day whose first counted request fell here
};

// What the traffic-detail reports read: tallies by key, so memory grows with
// the distinct robots, statuses, paths and extensions, never with the log.
// The kilobytes of each page are kept beside the page list of the
// statistics table (StatisticsTable::pageKilobytes).
class TrafficTallies {
  public:
    const std::vector<RobotRow>& robots() const { return robots_.rows(); }
    const std::vector<VolumeRow>& statuses() const { return statuses_.rows(); }
    const std::vector<VolumeRow>& extensions() const { return extensions_.rows(); }
    const std::vector<NotFoundRow>& notFound() const { return notFound_.rows(); }
    // Keys are the path, a tab and the referrer.
    const std::vector<NotFoundRow>& notFoundReferrers() const { return notFoundReferrers_.rows(); }
    const std::array<TimeSlot, 24>& hours() const { return hours_; }
    const std::array<TimeSlot, 7>& weekdays() const { return weekdays_; } // Sunday first
    long long robotHits() const { return robotHits_; }
    long long partialDownloads() const { return partialDownloads_; } // 206 answers to download requests

    void clear();
    void countRobot(std::string_view name, double kilobytes, int day, std::string_view time);
    void countStatus(std::string_view status, double kilobytes);
    void countNotFound(std::string_view path, std::string_view referrer);
    // hour is -1 when the record's time names none.
    void countTime(int hour, int weekday, double kilobytes, bool newVisitor);
    // extension as logged; its row is keyed in lower case.
    void countExtension(std::string_view extension, double kilobytes);
    void countPartialDownload() { ++partialDownloads_; }

    // Adds the tallies of the days right after this one's, kept apart by
    // another thread: rows in order of first appearance, a robot's last
    // visit from part whenever part saw it.
    void mergeFrom(const TrafficTallies& part);

  private:
    KeyedRows<RobotRow> robots_;
    KeyedRows<VolumeRow> statuses_;
    KeyedRows<VolumeRow> extensions_;
    ShortKeyIndex shortStatuses_;
    // By three-digit status code: its row in statuses_ plus one (0: not yet looked up).
    std::array<std::uint32_t, 1000> statusCodes_{};
    ShortKeyIndex shortExtensions_;
    KeyedRows<NotFoundRow> notFound_;
    KeyedRows<NotFoundRow> notFoundReferrers_;
    std::array<TimeSlot, 24> hours_{};
    std::array<TimeSlot, 7> weekdays_{};
    long long robotHits_ = 0;
    long long partialDownloads_ = 0;
    std::string scratch_;
};

// The hour of a logged time "hh:mm:ss", or -1.
int hourOf(std::string_view time);

} // namespace larkspan::analysis
