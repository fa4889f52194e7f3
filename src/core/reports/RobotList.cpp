#include "reports/RobotList.h"

#include "common/TextFile.h"

namespace larkspan {

RobotList::RobotList(const std::vector<std::string>& entries) : beginnings_(std::make_shared<TextPatternSet>(entries))
{
}

RobotList RobotList::load(const std::string& path)
{
    return RobotList(loadList(path));
}

bool RobotList::matches(std::string_view agent) const
{
    return beginnings_->beginsWithAny(agent);
}

} // namespace larkspan
