#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace larkspan {

// Takes text in pieces, in order.
class TextSink {
  public:
    virtual ~TextSink() = default;
    virtual void append(std::string_view text) = 0;
};

// The new content of a file, written in pieces to a private staging file
// beside it (created exclusively with mode 0600 before a byte is written)
// and put in place by commit(), a rename: readers see the old file or the
// whole new one, never a part, and a link at the path is replaced as a
// link, never written through. Pieces are gathered into large writes. A
// staging file that is not committed is removed when the object goes, so
// one can be written on a worker thread and committed, or dropped, later
// on another.
class StagedFile : public TextSink {
  public:
    StagedFile() = default;
    // Stages under a fresh unique name: path + ".tmp" and six characters.
    static StagedFile beside(const std::string& path);
    // Stages under a name of the caller's (one only its own run writes):
    // whatever is found there is left over from an earlier run and removed.
    static StagedFile at(const std::string& path, const std::string& stagingPath);
    // Whether a file name is one beside() gives its staging files (a name,
    // ".tmp" and six letters or digits): such a file that is still there
    // when no run is writing is what a killed run left.
    static bool isStagingBeside(std::string_view fileName);

    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile() override;

    const std::string& path() const { return path_; }
    // False once anything failed: creating, writing, syncing or closing.
    bool good() const { return good_; }

    void append(std::string_view text) override;
    // Writes what is gathered and closes the staging file; sync: flushes
    // the data to disk first. Returns good().
    bool finish(bool sync = false);
    // Finishes if need be and renames the staging file over path; false
    // (and the staging file removed) when anything failed.
    bool commit(bool sync = false);
    // Removes the staging file; path is left as it was.
    void discard();

  private:
    StagedFile(std::string path, std::string stagingPath, int fd);
    void flush();
    void close();

    std::string path_;
    std::string stagingPath_;
    int fd_ = -1;
    bool good_ = false;
    std::unique_ptr<char[]> buffer_;
    std::size_t buffered_ = 0;
};

// Gathers text into a string.
class StringSink : public TextSink {
  public:
    explicit StringSink(std::string& out) : out_(out) {}
    void append(std::string_view text) override { out_.append(text); }

  private:
    std::string& out_;
};

} // namespace larkspan
