#include "profiles/ProfileStore.h"

#include "analysis/WebData.h"
#include "profiles/DateRange.h"
#include "profiles/ProfileFiles.h"
#include "profiles/ProfileKeys.h"
#include "common/Dates.h"
#include "common/Error.h"
#include "common/FolderListing.h"
#include "common/ProgramFolder.h"
#include "common/SafeFile.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "platform/Platform.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace larkspan::profiles {

namespace {

std::string readListText(const std::string& path)
{
    std::string content;
    return readWholeFile(path, content) ? content : std::string();
}

ProfileListTexts readLists(const ProfileFiles& files)
{
    return {readListText(files.ip), readListText(files.subd), readListText(files.adds), readListText(files.affs),
            readListText(files.refd)};
}

// A date cell as the editor's picker would show it: a day number, else
// month/day/year, else today.
int pickerDay(const KeyValueTable& table, const std::string& key, int today)
{
    long long value = 0;
    if (text::parseInteger(table.getText(key), value) && value >= -693593 && value <= 2958465) {
        return static_cast<int>(value);
    }
    if (const auto date = dates::parseShortDate(table.getText(key))) return dayNumber(*date);
    return today;
}

bool fail(Platform& platform, const std::string& message)
{
    platform.messages.show(MessageKind::Error, message);
    return false;
}

}  // namespace

std::vector<std::string> listProfiles(const ProgramFolder& folder)
{
    std::vector<std::string> names;
    for (const FolderEntry& entry : listFolder(folder.myProfiles())) {
        if (entry.directory || entry.name.size() <= 4 || !text::iendsWith(entry.name, ".rpf")) continue;
        names.push_back(entry.name.substr(0, entry.name.size() - 4));
    }
    return names;
}

ProfileListTexts loadListTexts(const ProgramFolder& folder, const std::string& name)
{
    return readLists(ProfileFiles::of(folder, name));
}

ProfileListTexts loadBaseListTexts(const ProgramFolder& folder) { return readLists(ProfileFiles::base(folder)); }

KeyValueTable loadBaseTable(const ProgramFolder& folder)
{
    KeyValueTable table;
    table.load(ProfileFiles::base(folder).settings);
    return table;
}

bool webExists(const std::string& dataDirectory, const std::string& web)
{
    if (text::trim(web).empty()) return false;
    try {
        std::error_code ec;
        return fs::is_regular_file(analysis::webSettingsFile(dataDirectory, web), ec);
    } catch (const Error&) {
        return false;
    }
}

std::string initialValue(const std::string& key, int today)
{
    static const char* ticked[] = {"browser", "usage", "page", "referrers", "obrowser", "hitpage"};
    const ProfileKey* known = findProfileKey(key);
    if (!known) return "";
    switch (known->type) {
    case KeyType::Boolean:
        for (const char* k : ticked) {
            if (text::iequals(k, key)) return "TRUE";
        }
        return "FALSE";
    case KeyType::Integer: return "-1";
    case KeyType::Date: return std::to_string(today);
    case KeyType::Text: return text::iequals(key, "rtitle") ? "Larkspan Activity Report" : "";
    }
    return "";
}

bool writeProfile(Platform& platform, const ProgramFolder& folder, const std::string& name, KeyValueTable& table,
                  const ProfileListTexts& lists, const SaveContext& context, bool base)
{
    if (!base) {
        if (text::trim(name).empty()) return fail(platform, "You must assign a name to your profile to save it.");
        checkProfileName(folder, name);
        if (text::trim(table.getText("url")).empty()) {
            return fail(platform, "You must assign a URL to your profile to save it.");
        }
        if (!webExists(context.dataDirectory, table.getText("path"))) {
            return fail(platform, "You must assign a Web to your profile to save it.");
        }
        // The web list shows each web as its folder is named.
        const fs::path webFolder(analysis::webFolder(context.dataDirectory, table.getText("path")));
        table.setText("path", webFolder.parent_path().filename().string());
        if (!table.getBoolean("hitpage") && !table.getBoolean("hitdf") && !table.getBoolean("hitimg") &&
            !table.getBoolean("hitoth")) {
            return fail(platform, "You must select at least one hit filter option.");
        }
    }

    // The pickers: computed for ranges 0 to 6, else as stored.
    long long preDate = -1;
    if (!text::parseInteger(table.getText("pre-date"), preDate) || preDate < 0 || preDate > 7) preDate = -1;
    DayRange range{pickerDay(table, "start", context.today), pickerDay(table, "end", context.today)};
    if (const auto computed = computeRange(static_cast<int>(preDate), context.today)) range = *computed;
    if (range.first > range.last) return fail(platform, "The start date of the report cannot be greater than the end date.");

    for (const ProfileKey& key : kProfileKeys) {
        const std::string k(key.name);
        const bool present = table.find(k) >= 0;
        switch (key.type) {
        case KeyType::Boolean:
            table.setBoolean(k, present ? table.getBoolean(k) : initialValue(k, context.today) == "TRUE");
            break;
        case KeyType::Integer: table.setInteger(k, preDate); break;
        case KeyType::Date: table.setInteger(k, k == "start" ? range.first : range.last); break;
        case KeyType::Text:
            if (!present) table.setText(k, initialValue(k, context.today));
            break;
        }
    }
    std::string maxRows;
    for (std::string_view choice : kMaxRowsChoices) {
        if (text::iequals(choice, table.getText("maxrows"))) maxRows = choice;
    }
    table.setText("maxrows", maxRows);

    const ProfileFiles files = base ? ProfileFiles::base(folder) : ProfileFiles::of(folder, name);
    std::error_code ec;
    fs::create_directories(folder.myProfiles(), ec);
    bool ok = true;
    try {
        table.save(files.settings);
    } catch (const Error&) {
        ok = false;
    }
    if (ok) {
        const std::pair<const std::string*, const std::string*> listFiles[] = {
            {&files.ip, &lists.ip}, {&files.subd, &lists.subd}, {&files.adds, &lists.adds},
            {&files.affs, &lists.affs}, {&files.refd, &lists.refd}};
        const char* messages[] = {"Error Saving IP Filter", "Error Saving Sub Domain Entries",
                                  "Error Saving Advertising Domain Entries", "Error Saving Affiliate Domain Entries",
                                  "Error Saving Excluded Referring Domain Entries"};
        for (std::size_t i = 0; i < 5; ++i) {
            if (!saveListText(*listFiles[i].first, *listFiles[i].second)) {
                platform.messages.show(MessageKind::Error, messages[i]);
                ok = false;
            }
        }
    }
    if (!ok) return fail(platform, base ? "Error saving base defaults." : "Error saving profile.");
    if (base) {
        platform.messages.show(MessageKind::Information, "Base defaults saved successfully.");
    } else if (!context.runReport) {
        platform.messages.show(MessageKind::Information, "Profile saved successfully.");
    }
    return true;
}

void deleteProfile(Platform& platform, const ProgramFolder& folder, const std::string& name)
{
    const ProfileFiles files = ProfileFiles::of(folder, name);
    std::error_code ec;
    for (const std::string* path : {&files.settings, &files.ip, &files.adds, &files.affs, &files.subd, &files.refd,
                                    &files.demographics}) {
        fs::remove(*path, ec);
    }

    // A report folder that is a link is not followed: only files of the
    // profile's own folder are deleted.
    std::vector<FolderEntry> entries;
    if (!safefile::isSymbolicLink(files.reportFolder)) entries = listFolder(files.reportFolder);
    std::vector<std::string> remaining;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        // A link goes as a link, even one to a folder; its target's mode is
        // never touched.
        const bool link = safefile::isSymbolicLink(it->path);
        if (it->directory && !link) continue;
        bool deleted = false;
        for (int attempt = 0; attempt < 5 && !deleted; ++attempt) {
            if (!link) fs::permissions(it->path, fs::perms::owner_write, fs::perm_options::add, ec);
            deleted = fs::remove(it->path, ec) && !ec;
        }
        if (!deleted) remaining.insert(remaining.begin(), it->path);
    }
    if (!remaining.empty()) {
        std::string message = "Some report files were not able to be deleted\nThe following files were not removed:\n";
        for (const std::string& path : remaining) message += path + "\n";
        platform.messages.show(MessageKind::Warning, message);
    }
    fs::remove(files.reportFolder, ec);  // stays when not empty
}

}  // namespace larkspan::profiles
