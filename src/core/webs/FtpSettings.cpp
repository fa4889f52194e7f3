#include "webs/FtpSettings.h"

#include "common/KeyValueTable.h"
#include "platform/Messages.h"
#include "settings/SettingsStore.h"
#include "webs/WebStore.h"

namespace larkspan {

namespace {

std::string webKey(const std::string& web) { return std::string(WebStore::kWebsKey) + "\\" + web; }

bool readSwitch(SettingsStore& store, const char* name, bool fallback)
{
    try {
        store.createKey(WebStore::kWebsKey);
        const auto value = store.readString(WebStore::kWebsKey, name);
        return value ? readBooleanText(*value) : fallback;
    } catch (const std::exception&) {
        return fallback;
    }
}

bool writeSwitch(SettingsStore& store, const char* name, bool value)
{
    try {
        store.writeString(WebStore::kWebsKey, name, booleanText(value));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

bool readFtpSettings(SettingsStore& store, Messages& messages, const std::string& web, FtpSettings& settings)
{
    try {
        const std::string key = webKey(web);
        if (!store.keyExists(key)) store.createKey(key);
        auto text = [&](const char* name) { return store.readString(key, name).value_or(""); };
        settings.server = text("ftpsrv");
        settings.user = text("ftpusr");
        settings.password = text("ftppwd");
        settings.proxy = text("ftpproxy");
        settings.startDirectory = text("ftpstartdir");
        settings.fileMask = text("ftpfm");
        settings.newFilesOnly = readBooleanText(text("ftpuc"));
        settings.deleteAfterDownload = readBooleanText(text("DelFile"));
        settings.explicitTls = readBooleanText(text("ftptls"));
        return true;
    } catch (const std::exception& e) {
        messages.show(MessageKind::Error, std::string("Error reading FTP settings for Web from registry.\n") + e.what());
        return false;
    }
}

bool writeFtpSettings(SettingsStore& store, Messages& messages, const std::string& web, const FtpSettings& settings)
{
    try {
        const std::string key = webKey(web);
        store.writeString(key, "ftpsrv", settings.server);
        store.writeString(key, "ftpusr", settings.user);
        store.writeString(key, "ftppwd", settings.password);
        store.writeString(key, "ftpproxy", settings.proxy);
        store.writeString(key, "ftpstartdir", settings.startDirectory);
        store.writeString(key, "ftpfm", settings.fileMask);
        store.writeString(key, "ftpuc", booleanText(settings.newFilesOnly));
        store.writeString(key, "DelFile", booleanText(settings.deleteAfterDownload));
        store.writeString(key, "ftptls", booleanText(settings.explicitTls));
        return true;
    } catch (const std::exception& e) {
        messages.show(MessageKind::Error, std::string("Error writing FTP settings for Web from registry.\n") + e.what());
        return false;
    }
}

bool deleteFtpSettings(SettingsStore& store, Messages& messages, const std::string& web)
{
    try {
        const std::string key = webKey(web);
        if (store.keyExists(key)) store.deleteKey(key);
        return !store.keyExists(key);
    } catch (const std::exception& e) {
        messages.show(MessageKind::Error, std::string("Error Deleting FTP settings for Web from registry.\n") + e.what());
        return false;
    }
}

bool readBuildSessionTracker(SettingsStore& store) { return readSwitch(store, "buildSesTrack", true); }
bool readConvertUnix(SettingsStore& store) { return readSwitch(store, "convertunix", false); }
bool writeBuildSessionTracker(SettingsStore& store, bool value) { return writeSwitch(store, "buildSesTrack", value); }
bool writeConvertUnix(SettingsStore& store, bool value) { return writeSwitch(store, "convertunix", value); }

}  // namespace larkspan
