#pragma once

#include <string>
#include <vector>

namespace larkspan {
class Messages;
}

namespace larkspan::autorun {

// The schedule editor's rules without its window: the available and the
// scheduled webs (each sorted), the interval text, and the messages and
// questions of opening, removing and saving.
class ScheduleEditing {
  public:
    // existingWebs: the sub-folders of the data directory's wwwstats folder.
    ScheduleEditing(Messages& messages, std::string dataDirectory, std::vector<std::string> existingWebs);

    // Opening: the interval from "Schedule.job.int" (else "15 Minutes"), the
    // scheduled webs from "Schedule.job" ("Could not load schedule:" + path
    // when it exists but cannot be read), an offer to drop each scheduled
    // web that no longer exists (from the last to the first), and every
    // other existing web as available. offerRemoval false skips the offer
    // (a caller that replaces the whole schedule).
    void open(bool offerRemoval = true);

    const std::vector<std::string>& available() const { return available_; }
    const std::vector<std::string>& scheduled() const { return scheduled_; }
    const std::vector<std::string>& existing() const { return existing_; }

    std::string interval;

    // Moves an available web to the schedule (no repeats).
    void schedule(const std::string& web);
    void scheduleAll();
    // Moves a scheduled web back; a web that no longer exists is dropped
    // after a Yes to the question instead.
    void unschedule(const std::string& web);
    // Empties the schedule; every existing web becomes available.
    void clear();
    // Writes both files and says so; false (after the error) when they
    // could not be written.
    bool save();

    std::string schedulePath() const;

  private:
    bool isExisting(const std::string& web) const;
    void offerRemovalOfMissingWebs();

    Messages& messages_;
    std::string dataDirectory_;
    std::vector<std::string> existing_;
    std::vector<std::string> available_;
    std::vector<std::string> scheduled_;
};

} // namespace larkspan::autorun
