#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace larkspan::tracker {

// One host name cache file: entries "address=answer", one a line, kept
// sorted by their whole text without regard to case (ASCII letters fold to
// lower case, other bytes compare as unsigned values: text::icompare). An
// entry equal to one already present (same fold) is not added again, so of
// two answers for one address the first in sort order wins.
class HostNameList {
  public:
    // Replaces the entries with the file's lines (sorted once; of equal
    // lines the first in the file is kept). An unreadable or missing file
    // leaves the list empty; empty lines are skipped.
    void load(const std::string& path);

    // Adds address + "=" + answer; false when that entry is already there.
    bool add(std::string_view address, std::string_view answer);
    bool addEntry(std::string entry);

    // The answer of the first entry whose text before its first "=" is the
    // address (without regard to case); std::nullopt when there is none.
    std::optional<std::string_view> find(std::string_view address) const;

    const std::vector<std::string>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }

    // Writes the list to path so that no answer is lost to another writer:
    // under a lock file beside it, re-reads what is on disk, adds every
    // entry of this list the file lacks and replaces the file through a
    // private temporary file and a rename (never through a link). The file
    // is left untouched when it already holds everything. Afterwards this
    // list holds the merged entries. False when the lock cannot be had or
    // the file cannot be written.
    bool saveMerged(const std::string& path);

  private:
    std::vector<std::string> entries_;
};

} // namespace larkspan::tracker
