#include "reports/RobotList.h"

#include "common/TextFile.h"

#include <algorithm>

namespace larkspan {

namespace {

std::uint64_t extend(std::uint64_t hash, char c)
{
    return (hash ^ static_cast<unsigned char>(text::lower(c))) * 0x100000001b3ull;
}

constexpr std::uint64_t kEmptyHash = 0xcbf29ce484222325ull;

} // namespace

RobotList::RobotList(const std::vector<std::string>& entries)
{
    for (const std::string& entry : entries) {
        if (entry.empty()) continue;
        if (!prefixes_.insert(entry).second) continue;
        if (std::find(lengths_.begin(), lengths_.end(), entry.size()) == lengths_.end())
            lengths_.push_back(entry.size());
        std::uint64_t hash = kEmptyHash;
        for (const char c : entry)
            hash = extend(hash, c);
        hashes_.insert(hash);
    }
    std::sort(lengths_.begin(), lengths_.end());
}

RobotList RobotList::load(const std::string& path)
{
    return RobotList(loadList(path));
}

bool RobotList::matches(std::string_view agent) const
{
    std::uint64_t hash = kEmptyHash;
    std::size_t read = 0;
    for (const std::size_t length : lengths_) {
        if (length > agent.size()) break;
        for (; read < length; ++read)
            hash = extend(hash, agent[read]);
        if (hashes_.count(hash) && prefixes_.count(agent.substr(0, length))) return true;
    }
    return false;
}

} // namespace larkspan
