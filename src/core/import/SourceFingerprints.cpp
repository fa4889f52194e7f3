#include "import/SourceFingerprints.h"

#include "common/SafeFile.h"
#include "common/TextFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace larkspan {

namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

std::uint64_t hashOf(std::string_view bytes)
{
    std::uint64_t hash = kFnvOffset;
    for (unsigned char c : bytes)
        hash = (hash ^ c) * kFnvPrime;
    return hash;
}

} // namespace

void SourceFingerprints::load()
{
    streams_.clear();
    if (safefile::isSymbolicLink(path_)) return reindex(); // not the program's: no streams
    for (const std::string& line : loadList(path_)) {
        // head length, hash (hex), length imported, name
        char* end = nullptr;
        Stream stream;
        stream.headLength = std::strtoull(line.c_str(), &end, 10);
        if (*end != ' ' || stream.headLength == 0 || stream.headLength > kHeadBytes) continue;
        const char* hashText = end + 1;
        stream.headHash = std::strtoull(hashText, &end, 16);
        if (end == hashText || *end != ' ') continue;
        const char* lengthText = end + 1;
        stream.length = std::strtoull(lengthText, &end, 10);
        if (end == lengthText || *end != ' ') continue;
        stream.name = end + 1;
        streams_.push_back(std::move(stream));
    }
    reindex();
}

std::string SourceFingerprints::text() const
{
    std::string out;
    char number[64];
    for (const Stream& stream : streams_) {
        std::snprintf(number, sizeof number, "%zu %016llx %llu ", stream.headLength,
                      static_cast<unsigned long long>(stream.headHash), static_cast<unsigned long long>(stream.length));
        out += number;
        out += stream.name;
        out += "\r\n";
    }
    return out;
}

void SourceFingerprints::reindex()
{
    byHash_.clear();
    headLengths_.assign(kHeadBytes + 1, false);
    for (std::size_t i = 0; i < streams_.size(); ++i) {
        byHash_.emplace(streams_[i].headHash, i);
        headLengths_[streams_[i].headLength] = true;
    }
}

std::optional<std::size_t> SourceFingerprints::find(std::string_view head) const
{
    // One pass: the running hash after k bytes is the hash of the first k.
    std::optional<std::size_t> best;
    std::uint64_t hash = kFnvOffset;
    const std::size_t size = std::min(head.size(), kHeadBytes);
    for (std::size_t k = 1; k <= size; ++k) {
        hash = (hash ^ static_cast<unsigned char>(head[k - 1])) * kFnvPrime;
        if (!headLengths_[k]) continue;
        const auto range = byHash_.equal_range(hash);
        for (auto it = range.first; it != range.second; ++it) {
            const Stream& stream = streams_[it->second];
            // The longest matching head is the most certain; among equals
            // the latest entry.
            if (stream.headLength == k && (!best || streams_[*best].headLength < k || it->second > *best))
                best = it->second;
        }
    }
    return best;
}

std::optional<std::uint64_t> SourceFingerprints::importedLength(std::string_view head) const
{
    const auto found = find(head);
    if (!found) return std::nullopt;
    return streams_[*found].length;
}

void SourceFingerprints::record(std::string_view head, std::uint64_t length, const std::string& name)
{
    if (head.empty()) return;
    if (const auto found = find(head)) streams_.erase(streams_.begin() + static_cast<long>(*found));
    const std::string_view kept = head.substr(0, std::min(head.size(), kHeadBytes));
    streams_.push_back({kept.size(), hashOf(kept), length, name});
    if (streams_.size() > kMaxStreams) streams_.erase(streams_.begin(), streams_.end() - kMaxStreams);
    reindex();
}

} // namespace larkspan
