#include "analysis/DayFiles.h"

#include "analysis/AnalysisPass.h"
#include "common/Dates.h"
#include "common/FolderListing.h"
#include "common/Text.h"

#include <cstdio>
#include <map>
#include <unordered_map>

namespace larkspan::analysis {

std::string dayFilePath(const std::string& webFolder, int dayNumber)
{
    const CivilDate d = civilDate(dayNumber);
    char name[32];
    std::snprintf(name, sizeof name, "%04d", d.year);
    std::string path = withTrailingSeparator(webFolder) + name;
    std::snprintf(name, sizeof name, "LKLT%02d%02d.log", d.month, d.day);
    return joinPath(path, name);
}

namespace {

// The day files of one year folder by lower-cased name, so a file whose
// name differs only in letter case is found too (file names compare
// without regard to case).
class YearFolders {
public:
    explicit YearFolders(std::string webFolder) : webFolder_(std::move(webFolder)) {}

    std::string find(int dayNumber)
    {
        const CivilDate d = civilDate(dayNumber);
        auto it = years_.find(d.year);
        if (it == years_.end()) it = years_.emplace(d.year, scan(d.year)).first;
        char name[32];
        std::snprintf(name, sizeof name, "lklt%02d%02d.log", d.month, d.day);
        const auto file = it->second.find(name);
        return file == it->second.end() ? std::string() : file->second;
    }

private:
    std::unordered_map<std::string, std::string> scan(int year) const
    {
        std::unordered_map<std::string, std::string> files;
        char yearName[16];
        std::snprintf(yearName, sizeof yearName, "%04d", year);
        std::string yearFolder;
        for (const FolderEntry& e : listFolder(webFolder_)) {
            if (e.directory && text::iequals(e.name, yearName)) yearFolder = e.path;
        }
        if (yearFolder.empty()) return files;
        for (const FolderEntry& e : listFolder(yearFolder)) {
            if (!e.directory) files.emplace(text::toLower(e.name), e.path);
        }
        return files;
    }

    std::string webFolder_;
    std::map<int, std::unordered_map<std::string, std::string>> years_;
};

}  // namespace

DayFileList listDayFiles(const std::string& webFolder, int firstDay, int lastDay)
{
    DayFileList list;
    list.monthCount = 1;
    int previousMonth = 0;
    YearFolders years(webFolder);
    for (int day = firstDay; day <= lastDay; ++day) {
        const CivilDate date = civilDate(day);
        if (date.month > previousMonth) ++list.monthCount;
        previousMonth = date.month;
        std::string path = years.find(day);
        if (!path.empty()) {
            list.files.push_back({std::move(path), day});
        } else {
            if (list.missingCount < kListedMissingDates) {
                if (!list.missingDates.empty()) list.missingDates += ", ";
                list.missingDates += dates::shortDate(date);
            }
            ++list.missingCount;
        }
    }
    // A long range without data would otherwise repeat megabytes of dates
    // on every page.
    if (list.missingCount > kListedMissingDates)
        list.missingDates += " and " + std::to_string(list.missingCount - kListedMissingDates) + " more";
    return list;
}

}  // namespace larkspan::analysis
