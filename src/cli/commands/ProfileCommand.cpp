#include "commands/ProfileCommand.h"

#include "analysis/WebData.h"
#include "profiles/DateRange.h"
#include "profiles/ProfileFiles.h"
#include "profiles/ProfileKeys.h"
#include "profiles/ProfileLists.h"
#include "profiles/ProfileStore.h"
#include "common/Dates.h"
#include "common/Error.h"
#include "common/ProgramFolder.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "platform/Platform.h"

#include <filesystem>
#include <ostream>

namespace larkspan {

using namespace profiles;

namespace {

// Checks a KEY=VALUE setting the way the editor's controls constrain it and
// applies it to the table.
void applySetting(KeyValueTable& table, const std::string& setting)
{
    const auto eq = setting.find('=');
    if (eq == std::string::npos || eq == 0) throw UsageError("A setting is written KEY=VALUE: " + setting);
    const std::string key = setting.substr(0, eq);
    std::string value = setting.substr(eq + 1);
    if (const ProfileKey* known = findProfileKey(key)) {
        long long number = 0;
        switch (known->type) {
        case KeyType::Integer:
            if (!text::parseInteger(value, number) || number < -1 || number > 7) {
                throw UsageError("pre-date takes a range number from 0 to 7 (or -1 for none).");
            }
            break;
        case KeyType::Date:
            if (const auto date = dates::parseShortDate(value)) {
                value = std::to_string(dayNumber(*date));
            } else if (!text::parseInteger(value, number)) {
                throw UsageError(key + " takes a date mm/dd/yyyy or a day number.");
            }
            break;
        case KeyType::Boolean: value = booleanText(readBooleanText(value)); break;
        case KeyType::Text:
            if (text::iequals(key, "maxrows")) {
                bool ok = false;
                for (std::string_view choice : kMaxRowsChoices) ok = ok || text::iequals(choice, value);
                if (!ok) throw UsageError("maxrows takes 10, 25, 50, 100, 250, 500 or ALL.");
            }
            break;
        }
        table.setText(std::string(known->name), value);
        return;
    }
    table.setText(key, value);
}

int dateArgument(const std::string& value, const std::string& option)
{
    const auto date = dates::parseShortDate(value);
    if (!date) throw UsageError(option + " takes a date mm/dd/yyyy.");
    return dayNumber(*date);
}

SaveContext saveContext(CommandContext& c)
{
    return {analysis::dataDirectory(c.settings, c.folder), c.platform.clock.todayNumber(), false};
}

bool profileExists(CommandContext& c, const std::string& name)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(ProfileFiles::of(c.folder, name).settings, ec);
}

void requireProfile(CommandContext& c, const std::string& name)
{
    if (!profileExists(c, name)) throw Error("There is no profile named " + name + ".");
}

int runNew(CommandContext& c, const std::vector<std::string>& args)
{
    Arguments a(args, {"web", "url", "range", "from", "to", "set"}, {});
    a.requirePositionalCount(1, 1);
    const std::string name = a.positional()[0];
    checkProfileName(name);
    if (profileExists(c, name)) throw Error("A profile named " + name + " already exists; use \"profile set\".");
    KeyValueTable table = loadBaseTable(c.folder);
    table.setText("path", a.required("web"));
    table.setText("url", a.required("url"));
    if (a.has("range") && (a.has("from") || a.has("to"))) throw UsageError("Give --range or --from/--to, not both.");
    if (a.has("range")) applySetting(table, "pre-date=" + a.value("range"));
    if (a.has("from") || a.has("to")) {
        table.setInteger("pre-date", 7);
        table.setInteger("start", dateArgument(a.required("from"), "--from"));
        table.setInteger("end", dateArgument(a.required("to"), "--to"));
    }
    for (const std::string& setting : a.values("set")) applySetting(table, setting);
    const SaveContext context = saveContext(c);
    const ProfileListTexts lists = loadBaseListTexts(c.folder);
    return writeProfile(c.platform, c.folder, name, table, lists, context) ? kExitDone : kExitFailed;
}

int runSet(CommandContext& c, const std::vector<std::string>& args)
{
    if (args.size() < 2) throw UsageError("profile set needs a profile name and at least one KEY=VALUE.");
    const std::string& name = args[0];
    requireProfile(c, name);
    KeyValueTable table;
    table.load(ProfileFiles::of(c.folder, name).settings);
    for (std::size_t i = 1; i < args.size(); ++i) applySetting(table, args[i]);
    const ProfileListTexts lists = loadListTexts(c.folder, name);
    return writeProfile(c.platform, c.folder, name, table, lists, saveContext(c)) ? kExitDone : kExitFailed;
}

void showList(std::ostream& out, const char* label, const std::string& listText)
{
    for (const std::string& line : text::splitLines(listText)) out << label << ": " << line << '\n';
}

int runShow(CommandContext& c, const std::vector<std::string>& args)
{
    if (args.size() != 1) throw UsageError("profile show needs one profile name.");
    const std::string& name = args[0];
    requireProfile(c, name);
    KeyValueTable table;
    table.load(ProfileFiles::of(c.folder, name).settings);
    for (int r = 0; r < table.rowCount(); ++r) c.out << table.keyAt(r) << '=' << table.valueAt(r) << '\n';
    const auto preDate = table.getInteger("pre-date");
    if (preDate) {
        const int run = runPreDate(*preDate);
        c.out << "period=" << periodName(run) << '\n';
        DayRange range;
        if (const auto computed = computeRange(run, c.platform.clock.todayNumber())) {
            range = *computed;
        } else {
            const auto s = table.getInteger("start");
            const auto e = table.getInteger("end");
            if (s && e) range = {static_cast<int>(*s), static_cast<int>(*e)};
        }
        if (!range.empty()) {
            c.out << "range=" << dates::shortDate(civilDate(range.first)) << " - "
                  << dates::shortDate(civilDate(range.last)) << '\n';
        }
    }
    const ProfileListTexts lists = loadListTexts(c.folder, name);
    showList(c.out, "ip", lists.ip);
    showList(c.out, "subd", lists.subd);
    showList(c.out, "adds", lists.adds);
    showList(c.out, "affs", lists.affs);
    showList(c.out, "refd", lists.refd);
    return kExitDone;
}

int runDelete(CommandContext& c, const std::vector<std::string>& args)
{
    if (args.size() != 1) throw UsageError("profile delete needs one profile name.");
    const std::string& name = args[0];
    requireProfile(c, name);
    const Answer answer = c.platform.messages.ask(
        MessageKind::Confirmation,
        "Do you really want to delete the Profile: " + name + " \r\rThis cannot be undone. Continue?", Buttons::YesNo);
    if (answer != Answer::Yes) return kExitCancelled;
    deleteProfile(c.platform, c.folder, name);
    return kExitDone;
}

int runFilter(CommandContext& c, const std::vector<std::string>& args)
{
    Arguments a(args, {"add", "file"}, {"ip", "subd", "adds", "affs", "refd", "exclude"});
    a.requirePositionalCount(1, 1);
    const std::string name = a.positional()[0];
    requireProfile(c, name);
    const ProfileFiles files = ProfileFiles::of(c.folder, name);
    const std::pair<const char*, const std::string*> kinds[] = {
        {"ip", &files.ip}, {"subd", &files.subd}, {"adds", &files.adds}, {"affs", &files.affs}, {"refd", &files.refd}};
    std::string kind;
    const std::string* path = nullptr;
    for (const auto& [option, file] : kinds) {
        if (!a.flag(option)) continue;
        if (path) throw UsageError("Name one list: --ip, --subd, --adds, --affs or --refd.");
        kind = option;
        path = file;
    }
    if (!path) throw UsageError("Name one list: --ip, --subd, --adds, --affs or --refd.");
    if (a.has("add") == a.has("file")) throw UsageError("Give --add TEXT or --file F.");

    std::string listText;
    if (a.has("file")) {
        if (!readWholeFile(a.value("file"), listText)) throw Error("Cannot open file " + a.value("file"));
        const std::string problem = kind == "ip" ? ipListWildcardProblem(listText) : std::string();
        if (!problem.empty()) {
            c.platform.messages.show(MessageKind::Error, problem);
            return kExitFailed;
        }
    } else {
        readWholeFile(*path, listText);  // a missing list is empty
        const std::string entry = a.value("add");
        ListAddition result;
        if (kind == "ip") {
            const auto comma = entry.find(',');
            result = comma == std::string::npos ? addIpFilter(listText, entry, "")
                                                : addIpFilter(listText, entry.substr(0, comma), entry.substr(comma + 1));
        } else if (kind == "subd") {
            result = addWebFilter(listText, entry, !a.flag("exclude"));
        } else if (kind == "adds") {
            result = addAdvertisingDomain(listText, entry);
        } else if (kind == "affs") {
            result = addAffiliateDomain(listText, entry);
        } else {
            result = addReferringDomain(listText, entry);
        }
        if (result.outcome == ListAddition::Refused) {
            c.platform.messages.show(MessageKind::Error, result.message);
            return kExitFailed;
        }
        if (result.outcome == ListAddition::Unchanged) return kExitDone;
    }
    if (!saveListText(*path, listText)) throw Error("Cannot create " + *path);
    return kExitDone;
}

}  // namespace

std::string_view ProfileCommand::usage() const
{
    return "new NAME --web W --url U [--range N | --from mm/dd/yyyy --to mm/dd/yyyy] [--set KEY=VALUE]...\n"
           "       profile set NAME KEY=VALUE...\n"
           "       profile show NAME\n"
           "       profile list\n"
           "       profile delete NAME\n"
           "       profile filter NAME --ip|--subd|--adds|--affs|--refd (--add TEXT [--exclude] | --file F)\n"
           "  --range N: 0 yesterday, 1 today, 2 last week, 3 this week, 4 last month,\n"
           "             5 this month, 6 year to date, 7 the --from/--to dates\n"
           "  --subd --add DIR sets the sub-web; with --exclude it excludes DIR";
}

int ProfileCommand::run(CommandContext& context, const std::vector<std::string>& args)
{
    if (args.empty()) throw UsageError("Name a profile action: new, set, show, list, delete or filter.");
    const std::string& action = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (action == "new") return runNew(context, rest);
    if (action == "set") return runSet(context, rest);
    if (action == "show") return runShow(context, rest);
    if (action == "delete") return runDelete(context, rest);
    if (action == "filter") return runFilter(context, rest);
    if (action == "list") {
        if (!rest.empty()) throw UsageError("profile list takes no arguments.");
        for (const std::string& name : listProfiles(context.folder)) context.out << name << '\n';
        return kExitDone;
    }
    throw UsageError("Unknown profile action \"" + action + "\".");
}

}  // namespace larkspan
