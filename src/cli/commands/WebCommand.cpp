#include "commands/WebCommand.h"

#include "HiddenInput.h"
#include "common/Error.h"
#include "common/FolderListing.h"
#include "common/KeyValueTable.h"
#include "common/ProgramFolder.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "platform/Platform.h"
#include "settings/SettingsStore.h"
#include "webs/FtpSettings.h"
#include "webs/WebFileList.h"
#include "webs/WebName.h"
#include "webs/WebRemoval.h"
#include "webs/WebSaver.h"
#include "webs/WebStore.h"

#include <filesystem>
#include <ostream>

namespace fs = std::filesystem;

namespace larkspan {

std::string_view WebCommand::usage() const
{
    return "add NAME --files \"PATHS_OR_MASK\" [--server-url URL] [--new-only]\n"
           "       larkspan-cli web add NAME --ftp --server HOST[:PORT] --user U --dir D --mask M\n"
           "                    [--password-file FILE | --password-stdin | --password P]\n"
           "                    [--proxy X] [--new-only] [--delete-from-server] [--ftps] [--server-url URL]\n"
           "       larkspan-cli web list\n"
           "       larkspan-cli web show NAME\n"
           "       larkspan-cli web delete NAME\n"
           "--ftps asks the server for explicit TLS before logging on and refuses one without it.\n"
           "PATHS is a comma list of log files (a path with blanks in double quotes) or one file mask\n"
           "such as /var/log/apache2/access*.log.\n"
           "The FTP password is asked for without echo when standard input is a terminal;\n"
           "--password-file reads it from the first line of FILE and --password-stdin from the\n"
           "first line of standard input. --password P puts it on the command line, where every\n"
           "local user can read it in the process list: use it only where no one else logs in.";
}

namespace {

// Relative folders are made absolute so the web imports from anywhere; a
// bare file name is left for the save to refuse.
std::string absolutePathField(const std::string& field)
{
    std::vector<std::string> entries = splitPathField(field);
    std::string out;
    for (auto& entry : entries) {
        if (!folderPart(entry).empty() && entry.front() != '/')
            entry = (fs::current_path() / entry).lexically_normal().string();
        if (!out.empty()) out += ',';
        out += entry.find(' ') != std::string::npos ? "\"" + entry + "\"" : entry;
    }
    return out;
}

// The FTP password from the one source given, else asked for without echo
// on a terminal, else empty (which the save refuses).
std::string ftpPassword(CommandContext& context, const Arguments& a)
{
    const int sources = int(a.has("password")) + int(a.has("password-file")) + int(a.flag("password-stdin"));
    if (sources > 1) throw UsageError("Give the password one way: --password-file, --password-stdin or --password.");
    std::string line;
    if (a.has("password")) return a.value("password");
    if (a.has("password-file")) {
        const std::string file = a.value("password-file");
        std::string content;
        if (!readWholeFile(file, content)) throw Error("Unable to read the password file " + file + ".");
        const std::vector<std::string> lines = text::splitLines(content);
        return lines.empty() ? std::string() : lines.front();
    }
    if (a.flag("password-stdin")) {
        if (!std::getline(context.in, line)) return {};
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }
    if (!context.interactive) return {};
    return readHiddenLine(context.in, context.err, "Password: ").value_or("");
}

int add(CommandContext& context, WebStore& webs, const std::vector<std::string>& args)
{
    const Arguments a(args,
                      {"files", "server-url", "server", "user", "password", "password-file", "dir", "mask", "proxy"},
                      {"ftp", "new-only", "delete-from-server", "ftps", "password-stdin"});
    a.requirePositionalCount(2, 2);
    WebDraft draft;
    draft.name = a.positionalAt(1, "web name");
    draft.serverUrl = a.value("server-url");
    if (a.flag("ftp")) {
        if (a.has("files")) throw UsageError("--files is for local webs; an FTP web takes --dir and --mask.");
        draft.importType = ImportType::Ftp;
        draft.ftp.server = a.value("server");
        draft.ftp.user = a.value("user");
        draft.ftp.password = ftpPassword(context, a);
        draft.ftp.proxy = a.value("proxy");
        draft.ftp.startDirectory = a.value("dir");
        draft.ftp.fileMask = a.value("mask");
        draft.ftp.newFilesOnly = a.flag("new-only");
        draft.ftp.deleteAfterDownload = a.flag("delete-from-server");
        draft.ftp.explicitTls = a.flag("ftps");
    } else {
        for (const char* option : {"server", "user", "password", "password-file", "password-stdin", "dir", "mask",
                                   "proxy", "delete-from-server", "ftps"})
            if (a.has(option)) throw UsageError(std::string("--") + option + " is for FTP webs; add --ftp.");
        draft.pathField = absolutePathField(a.value("files"));
        draft.newFilesOnly = a.flag("new-only");
    }

    if (!WebStore::createDataFolders(webs.dataDirectory())) {
        context.platform.messages.show(MessageKind::Error, "Unable to create wwwstats directory under " +
                                                               webs.dataDirectory());
        return kExitFailed;
    }
    if (!saveWeb(webs, context.platform.messages, draft, true)) return kExitFailed;
    context.out << "Web " << text::trim(draft.name) << " saved in " << webs.webFolder(text::trim(draft.name)) << '\n';
    return kExitDone;
}

int list(CommandContext& context, WebStore& webs)
{
    std::error_code ec;
    if (!fs::is_directory(webs.wwwstats(), ec)) {
        context.platform.messages.show(MessageKind::Error, "Could not access " + webs.wwwstats() +
                                                               ". Update of listview terminated.");
        return kExitFailed;
    }
    for (const auto& name : webs.folderNames()) {
        const auto settings = webs.readSettings(name);
        if (!settings) {
            context.out << name << "\t(no settings)\n";
            continue;
        }
        const bool ftp = settings->importType == ImportType::Ftp;
        context.out << name << '\t' << (ftp ? "FTP" : "Local");
        if (!ftp) context.out << '\t' << importSourceText(webs.readFileList(name));
        context.out << '\n';
    }
    return kExitDone;
}

int show(CommandContext& context, WebStore& webs, const std::string& name)
{
    const auto settings = webs.readSettings(name);
    if (!settings) {
        context.platform.messages.show(MessageKind::Error, "The web " + name + " does not exist.");
        return kExitFailed;
    }
    std::ostream& out = context.out;
    const bool ftp = settings->importType == ImportType::Ftp;
    out << "Name: " << settings->name << '\n'
        << "Folder: " << webs.webFolder(name) << '\n'
        << "Import type: " << (ftp ? "FTP" : "Local") << '\n'
        << "Server URL: " << settings->serverUrl << '\n';
    if (!ftp) {
        out << "Files: " << importSourceText(webs.readFileList(name)) << '\n'
            << "Get new files only: " << booleanText(settings->newFilesOnly) << '\n';
        return kExitDone;
    }
    FtpSettings values;
    if (!readFtpSettings(webs.settings(), context.platform.messages, webs.folderName(name), values)) return kExitFailed;
    out << "FTP server: " << values.server << '\n'
        << "Proxy server: " << values.proxy << '\n'
        << "Username: " << values.user << '\n'
        << "Directory on server: " << values.startDirectory << '\n'
        << "File pattern mask: " << values.fileMask << '\n'
        << "Get new files only: " << booleanText(values.newFilesOnly) << '\n'
        << "Delete files from FTP server: " << booleanText(values.deleteAfterDownload) << '\n'
        << "Explicit TLS (FTPS): " << booleanText(values.explicitTls) << '\n';
    return kExitDone;
}

int remove(CommandContext& context, WebStore& webs, const std::string& name)
{
    std::error_code ec;
    const std::string folder = webs.webFolder(name);
    if (!fs::exists(folder, ec) && !context.settings.keyExists(std::string(WebStore::kWebsKey) + "\\" + name)) {
        context.platform.messages.show(MessageKind::Error, "The web " + name + " does not exist.");
        return kExitFailed;
    }
    const std::string spelled = webs.folderName(name);
    if (context.platform.messages.ask(MessageKind::Confirmation, deleteWebQuestion(spelled), Buttons::YesNo) !=
        Answer::Yes)
        return kExitCancelled;
    return deleteWeb(webs, context.platform.messages, spelled, context.folder.ftpTemporary()) ? kExitDone : kExitFailed;
}

}  // namespace

int WebCommand::run(CommandContext& context, const std::vector<std::string>& args)
{
    if (args.empty()) throw UsageError("Missing the action: add, list, show or delete.");
    WebStore webs(context.settings, context.folder.homeWithSeparator());
    const std::string& action = args.front();
    if (action == "add") return add(context, webs, args);
    const Arguments a(args, {}, {});
    if (action == "list") {
        a.requirePositionalCount(1, 1);
        return list(context, webs);
    }
    if (action == "show" || action == "delete") {
        a.requirePositionalCount(2, 2);
        const std::string& name = a.positionalAt(1, "web name");
        if (name.empty() || webNameProblem(name)) {
            context.platform.messages.show(MessageKind::Error, "The web " + name + " does not exist.");
            return kExitFailed;
        }
        return action == "show" ? show(context, webs, name) : remove(context, webs, name);
    }
    throw UsageError("Unknown action \"" + action + "\": use add, list, show or delete.");
}

}  // namespace larkspan
