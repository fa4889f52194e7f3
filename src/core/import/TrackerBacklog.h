#pragma once

#include <string>
#include <unordered_set>
#include <vector>

namespace larkspan {

// The days whose session tracker files an import owes (<web>.lktd, beside
// the imported-files list). Each imported file's days are written down in
// the same journal commit as the file itself; the tracker step builds every
// day owed and clears the list when it completes. So a run that is
// cancelled, fails or is killed before its tracker step has ended leaves
// the days for the next run's step, and no imported day is left without
// its tracker files.
class TrackerBacklog {
  public:
    // Reads the list: entries are day files of the web ("yyyy/LKLTmmdd.log"
    // in webFolder); entries of another form and days whose file is gone
    // are dropped. webFolder ends with a separator.
    void load(std::string path, std::string webFolder);

    const std::string& path() const { return path_; }
    // Day file paths, in the order they were first owed.
    const std::vector<std::string>& days() const { return days_; }
    bool empty() const { return days_.empty(); }

    // Owes these days too; true when one was not owed yet.
    bool add(const std::vector<std::string>& dayFiles);
    // The list's file text: the days relative to the web folder, CR LF.
    std::string text() const;
    // Nothing is owed any more: the list and its file go.
    void clear();

  private:
    std::string path_;
    std::string webFolder_;
    std::vector<std::string> days_;
    std::unordered_set<std::string> owed_;
};

} // namespace larkspan
