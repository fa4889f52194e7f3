#pragma once

#include "common/Error.h"

#include <cstdint>
#include <string>
#include <vector>

namespace larkspan {

// A write of the import that failed (a full disk, a file that cannot be
// created, a link where a folder belongs). The run ends with it as a failure.
class ImportWriteError : public Error {
  public:
    using Error::Error;
};

// Makes the import of one source file all or nothing. Before anything of
// the file reaches the web folder the journal (<web>.lkjn) names every file
// it will touch: a file whose new content is staged beside it (name +
// kStagedSuffix, renamed over it on commit) or a day file appended to in
// place (with its size before, so the append can be cut off again). Commit
// adds a last "COMMIT" line, then renames. A run that ends abruptly leaves
// the journal behind; the next run's recover() undoes an uncommitted file
// and finishes a committed one, so the day files and the imported-files
// list always agree.
class ImportJournal {
  public:
    static constexpr const char* kStagedSuffix = ".lkst";

    ImportJournal() = default;
    explicit ImportJournal(std::string path) : path_(std::move(path)) {}
    void setPath(std::string path) { path_ = std::move(path); }
    ~ImportJournal();
    ImportJournal(const ImportJournal&) = delete;
    ImportJournal& operator=(const ImportJournal&) = delete;

    // Finishes or undoes the file a previous run left under way, then
    // removes staged files left in webFolder and its year folders. Throws
    // ImportWriteError when the journal cannot be carried out.
    void recover(const std::string& webFolder);

    // Starts a source file: an empty journal, created afresh.
    void begin();
    // target's new content will be staged in target + kStagedSuffix.
    void noteReplacement(const std::string& target);
    // target (an existing regular file of originalSize bytes) will be
    // appended to in place.
    void noteAppend(const std::string& target, std::uint64_t originalSize);
    // Makes every noted change final. Throws ImportWriteError (after undoing
    // the file) when the commit line cannot be written.
    void commit();
    // Undoes every noted change. Quiet: what cannot be undone now is undone
    // by the next recover().
    void rollback();

    // Stages a whole file's new content beside it (target + kStagedSuffix)
    // and notes the replacement; throws ImportWriteError.
    void stageReplacement(const std::string& target, const std::string& content);

    bool active() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

  private:
    struct Entry {
        bool append = false;
        std::uint64_t originalSize = 0;
        std::string target;
    };
    void writeLine(const std::string& line);
    void finish();

    std::string path_;
    int fd_ = -1;
    std::vector<Entry> entries_;
};

} // namespace larkspan
