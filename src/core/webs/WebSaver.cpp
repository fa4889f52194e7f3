#include "webs/WebSaver.h"

#include "common/Error.h"
#include "common/SafeFile.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "platform/Messages.h"
#include "webs/ServerAddress.h"
#include "webs/WebFileList.h"
#include "webs/WebName.h"
#include "webs/WebStore.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace larkspan {

namespace {

bool fail(Messages& messages, const std::string& text)
{
    messages.show(MessageKind::Error, text);
    return false;
}

// The FTP values must be there, checked in the editor's order.
bool checkFtp(Messages& messages, const FtpSettings& ftp)
{
    if (text::trim(ftp.server).empty()) return fail(messages, "The Web must have an FTP Server Address to be saved.");
    if (text::trim(ftp.user).empty()) return fail(messages, "The Web must have User Name to be saved.");
    if (text::trim(ftp.password).empty()) return fail(messages, "The Web must have a Password to be saved.");
    if (text::trim(ftp.startDirectory).empty()) return fail(messages, "The Web must have a Log Directory to be saved.");
    if (text::trim(ftp.fileMask).empty()) return fail(messages, "The Web must have a file mask to be saved.");
    return true;
}

FtpSettings trimmed(const FtpSettings& ftp)
{
    FtpSettings out = ftp;
    for (std::string* value : {&out.server, &out.user, &out.password, &out.proxy, &out.startDirectory, &out.fileMask})
        *value = text::trim(*value);
    return out;
}

}  // namespace

bool saveWeb(WebStore& webs, Messages& messages, const WebDraft& draft, bool creating)
{
    const std::string name = text::trim(draft.name);
    if (name.empty()) return fail(messages, "The Web must have a name to be saved.");
    if (const auto problem = webNameProblem(name)) return fail(messages, *problem);
    if (creating && webs.exists(name))
        return fail(messages, "The Web you are trying to create " + name + " already exists.");
    const std::string serverAddress = serverAddressOf(draft.serverUrl);
    if (const auto problem = serverAddressProblem(serverAddress)) return fail(messages, *problem);

    std::vector<std::string> fileList;
    if (draft.importType == ImportType::Ftp) {
        if (!checkFtp(messages, draft.ftp)) return false;
        if (!writeFtpSettings(webs.settings(), messages, name, trimmed(draft.ftp))) return false;
    } else {
        if (text::trim(draft.pathField).empty()) return fail(messages, "The Web must have Log names to be saved.");
        // The list is checked before the folder is made, so a refused save
        // leaves no empty web folder behind.
        try {
            fileList = validateFileList(splitPathField(draft.pathField));
        } catch (const Error& e) {
            return fail(messages, std::string("The Web Log could not be saved.\n") + e.what());
        }
    }

    const std::string folder = creating ? webs.wwwstats() + name + "/" : webs.webFolder(name);
    std::error_code ec;
    if (!fs::is_directory(folder, ec) && !safefile::makePrivateFolder(folder))
        return fail(messages, "Cannot create " + folder);

    const std::string stem = creating ? name : webs.folderName(name);
    if (draft.importType == ImportType::Local && !writeWholeFile(folder + stem + ".wfl", joinCrLf(fileList)))
        return fail(messages, "The Web Log could not be saved.\nCannot write " + folder + stem + ".wfl");

    WebSettings settings;
    settings.name = name;
    settings.importType = draft.importType;
    settings.serverUrl = serverAddress;
    settings.newFilesOnly = draft.importType == ImportType::Local && draft.newFilesOnly;
    if (!writeWholeFile(folder + stem + ".dat", formatWebSettings(settings)))
        return fail(messages, "The Web Log could not be saved.\nCannot write " + folder + stem + ".dat");
    return true;
}

}  // namespace larkspan
