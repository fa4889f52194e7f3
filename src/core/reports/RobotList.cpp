#include "reports/RobotList.h"

#include "common/TextFile.h"

#include <algorithm>

namespace larkspan {

RobotList::RobotList(const std::vector<std::string>& entries)
{
    for (const std::string& entry : entries) {
        if (entry.empty()) continue;
        if (prefixes_.insert(entry).second &&
            std::find(lengths_.begin(), lengths_.end(), entry.size()) == lengths_.end())
            lengths_.push_back(entry.size());
    }
}

RobotList RobotList::load(const std::string& path)
{
    return RobotList(loadList(path));
}

bool RobotList::matches(std::string_view agent) const
{
    for (std::size_t length : lengths_)
        if (length <= agent.size() && prefixes_.count(agent.substr(0, length))) return true;
    return false;
}

} // namespace larkspan
