#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace larkspan {

// Recognises source files by their content, for imports that take only
// what is new: each imported stream of log text is kept as a fingerprint
// of its first bytes (up to kHeadBytes of content, after unpacking) and the
// content length imported so far. A file whose beginning matches a
// fingerprint is the same log, renamed, compressed or grown; only what lies
// past the stored length is new. Kept beside the imported-files list in
// <web>.lkfp, one stream per line: head length, head hash, length imported,
// the name last seen.
class SourceFingerprints {
  public:
    static constexpr std::size_t kHeadBytes = 4096;
    static constexpr std::size_t kMaxStreams = 4000;

    SourceFingerprints() = default;
    explicit SourceFingerprints(std::string path) : path_(std::move(path)) {}

    // Reads the file; a missing or damaged line is left out.
    void load();
    // The whole file's text, as it is to be written.
    std::string text() const;
    const std::string& path() const { return path_; }

    // The content length already imported of the stream whose fingerprint
    // head (the file's first bytes, up to kHeadBytes) matches, if any.
    std::optional<std::uint64_t> importedLength(std::string_view head) const;
    // Records that the stream starting with head has been imported up to
    // length, replacing the entry it matched (the oldest streams are dropped
    // past kMaxStreams).
    void record(std::string_view head, std::uint64_t length, const std::string& name);

  private:
    struct Stream {
        std::size_t headLength = 0;
        std::uint64_t headHash = 0;
        std::uint64_t length = 0;
        std::string name;
    };
    std::optional<std::size_t> find(std::string_view head) const;
    void reindex();

    std::string path_;
    std::vector<Stream> streams_;
    std::unordered_multimap<std::uint64_t, std::size_t> byHash_;
    std::vector<bool> headLengths_; // head lengths some stream has
};

} // namespace larkspan
