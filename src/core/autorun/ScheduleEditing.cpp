#include "autorun/ScheduleEditing.h"

#include "autorun/RunInterval.h"
#include "autorun/ScheduleFiles.h"
#include "common/Text.h"
#include "platform/Messages.h"

#include <algorithm>
#include <filesystem>

namespace larkspan::autorun {

namespace {
void removeWeb(std::vector<std::string>& list, const std::string& web)
{
    std::erase_if(list, [&](const std::string& entry) { return text::iequals(entry, web); });
}

void addWeb(std::vector<std::string>& list, const std::string& web)
{
    if (containsWeb(list, web)) return;
    list.push_back(web);
    list = sortedWebs(std::move(list));
}
} // namespace

ScheduleEditing::ScheduleEditing(Messages& messages, std::string dataDirectory, std::vector<std::string> existingWebs)
    : interval(kDefaultInterval), messages_(messages), dataDirectory_(std::move(dataDirectory)),
      existing_(sortedWebs(std::move(existingWebs)))
{
}

std::string ScheduleEditing::schedulePath() const
{
    return scheduleFile(dataDirectory_);
}

bool ScheduleEditing::isExisting(const std::string& web) const
{
    return containsWeb(existing_, web);
}

void ScheduleEditing::open(bool offerRemoval)
{
    if (const auto text = readInterval(dataDirectory_)) interval = *text;
    scheduled_.clear();
    std::error_code error;
    if (std::filesystem::exists(schedulePath(), error)) {
        if (const auto webs = readScheduledWebs(dataDirectory_))
            scheduled_ = sortedWebs(*webs);
        else
            messages_.show(MessageKind::Error, "Could not load schedule:" + schedulePath());
    }
    if (offerRemoval) offerRemovalOfMissingWebs();
    available_.clear();
    for (const std::string& web : existing_)
        if (!containsWeb(scheduled_, web)) available_.push_back(web);
}

void ScheduleEditing::offerRemovalOfMissingWebs()
{
    for (auto it = scheduled_.rbegin(); it != scheduled_.rend();) {
        const std::string web = *it;
        if (!isExisting(web) && messages_.ask(MessageKind::Confirmation,
                                              "The web: " + web + " is no longer available.  " +
                                                  "\nWould you like to remove it from the Scheduled webs list?",
                                              Buttons::YesNo) == Answer::Yes) {
            it = std::make_reverse_iterator(scheduled_.erase(std::next(it).base()));
        } else {
            ++it;
        }
    }
}

void ScheduleEditing::schedule(const std::string& web)
{
    if (!containsWeb(available_, web)) return;
    removeWeb(available_, web);
    addWeb(scheduled_, web);
}

void ScheduleEditing::scheduleAll()
{
    for (const std::string& web : std::vector<std::string>(available_))
        schedule(web);
}

void ScheduleEditing::unschedule(const std::string& web)
{
    if (!containsWeb(scheduled_, web)) return;
    if (!isExisting(web)) {
        const Answer answer = messages_.ask(
            MessageKind::Confirmation,
            "The web: " + web + " is no longer an available web and cannot be added to the available webs list." +
                "\nWould you like to remove it from the Scheduled webs list?",
            Buttons::YesNo);
        if (answer == Answer::Yes) removeWeb(scheduled_, web);
        return;
    }
    removeWeb(scheduled_, web);
    addWeb(available_, web);
}

void ScheduleEditing::clear()
{
    scheduled_.clear();
    available_ = existing_;
}

bool ScheduleEditing::save()
{
    if (!writeSchedule(dataDirectory_, scheduled_, interval)) {
        messages_.show(MessageKind::Error, "Could not save schedule:" + schedulePath());
        return false;
    }
    messages_.show(MessageKind::Information, "Schedule:" + schedulePath() + " updated");
    return true;
}

} // namespace larkspan::autorun
