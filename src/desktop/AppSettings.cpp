#include "AppSettings.h"

#include "common/Error.h"
#include "common/FolderListing.h"
#include "common/Text.h"
#include "settings/SettingsStore.h"

namespace larkspan {

namespace {

constexpr const char* kUnableToRetrieve = "Registry settings were unable to be retrieved.";

bool readFlag(const SettingsStore& store, const char* name, bool& value)
{
    const auto number = store.readInteger(AppSettings::kKey, name);
    if (!number) return false;
    value = *number != 0;
    return true;
}

std::string readDataDirectory(SettingsStore& store, const std::string& programFolder)
{
    store.createKey(AppSettings::kWebsKey);
    std::string folder = programFolder;
    if (const auto stored = store.readString(AppSettings::kWebsKey, "statsdatadir")) folder = *stored;
    else store.writeString(AppSettings::kWebsKey, "statsdatadir", programFolder);
    folder = text::trim(folder);
    if (folder.empty()) {
        folder = programFolder;
        store.writeString(AppSettings::kWebsKey, "statsdatadir", programFolder);
    }
    return withTrailingSeparator(folder);
}

}  // namespace

AppSettingsRead readAppSettings(SettingsStore& store, const std::string& programFolder)
{
    AppSettingsRead result;
    AppSettings read;
    try {
        if (!store.keyExists(AppSettings::kKey)) throw Error(kUnableToRetrieve);
        if (!readFlag(store, "cbConfirmB4Analyzing", read.confirmBeforeRun)) {
            throw Error("The value cbConfirmB4Analyzing is missing.");
        }
        read.view = store.readString(AppSettings::kKey, "vs").value_or("");
        read.toolbar = store.readString(AppSettings::kKey, "tb").value_or("");
        readFlag(store, "cbAutorun", read.autorun);
        result.settings = read;
    } catch (const Error& e) {
        result.ok = false;
        result.failure = e.what();
    }
    try {
        result.settings.dataDirectory = readDataDirectory(store, programFolder);
    } catch (const Error& e) {
        result.settings.dataDirectory = withTrailingSeparator(programFolder);
        if (result.ok) {
            result.ok = false;
            result.failure = e.what();
        }
    }
    return result;
}

void saveAppSettings(SettingsStore& store, const AppSettings& settings)
{
    store.writeInteger(AppSettings::kKey, "cbConfirmB4Analyzing", settings.confirmBeforeRun ? 1 : 0);
    store.writeInteger(AppSettings::kKey, "cbAutoRun", settings.autorun ? 1 : 0);
    store.writeString(AppSettings::kKey, "vs", settings.view);
    store.writeString(AppSettings::kKey, "tb", settings.toolbar);
    store.writeString(AppSettings::kWebsKey, "statsdatadir", settings.dataDirectory);
}

}  // namespace larkspan
