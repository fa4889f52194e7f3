#include "import/TrackerBacklog.h"

#include "common/Text.h"
#include "common/TextFile.h"

#include <cctype>
#include <sys/stat.h>
#include <unistd.h>

namespace larkspan {

namespace {

bool digits(std::string_view text)
{
    for (const char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// "yyyy/LKLTmmdd.log": a year folder and a day file in it, nothing else.
bool isDayFileEntry(std::string_view entry)
{
    return entry.size() == 17 && digits(entry.substr(0, 4)) && entry[4] == '/' && entry.substr(5, 4) == "LKLT" &&
           digits(entry.substr(9, 4)) && entry.substr(13) == ".log";
}

bool isRegularFile(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

void TrackerBacklog::load(std::string path, std::string webFolder)
{
    path_ = std::move(path);
    webFolder_ = std::move(webFolder);
    days_.clear();
    owed_.clear();
    std::string content;
    if (!readWholeFile(path_, content)) return;
    std::vector<std::string> found;
    for (const std::string& line : text::splitLines(content)) {
        const std::string entry(text::trimView(line));
        if (isDayFileEntry(entry) && isRegularFile(webFolder_ + entry)) found.push_back(webFolder_ + entry);
    }
    add(found);
}

bool TrackerBacklog::add(const std::vector<std::string>& dayFiles)
{
    bool added = false;
    for (const std::string& day : dayFiles) {
        if (!owed_.insert(day).second) continue;
        days_.push_back(day);
        added = true;
    }
    return added;
}

std::string TrackerBacklog::text() const
{
    std::string out;
    for (const std::string& day : days_) {
        const bool inWeb = day.compare(0, webFolder_.size(), webFolder_) == 0;
        out += inWeb ? day.substr(webFolder_.size()) : day;
        out += "\r\n";
    }
    return out;
}

void TrackerBacklog::clear()
{
    days_.clear();
    owed_.clear();
    if (!path_.empty()) ::unlink(path_.c_str());
}

} // namespace larkspan
