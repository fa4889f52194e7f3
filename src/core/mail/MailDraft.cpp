#include "mail/MailDraft.h"

#include "common/Error.h"
#include "common/SafeFile.h"
#include "mail/EmlWriter.h"

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace larkspan {

namespace {

std::string localUser()
{
    for (const char* name : {"USER", "LOGNAME"}) {
        const char* value = std::getenv(name);
        if (!value || !*value) continue;
        std::string user;
        for (const char* c = value; *c; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c)) || *c == '.' || *c == '-' || *c == '_') user += *c;
        if (!user.empty()) return user;
    }
    return "larkspan";
}

}  // namespace

int localUtcOffsetMinutes()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    std::tm utc{};
    if (!localtime_r(&now, &local) || !gmtime_r(&now, &utc)) return 0;
    utc.tm_isdst = local.tm_isdst;
    // Both broken-down times read back as local time differ by the offset.
    const double seconds = std::difftime(std::mktime(&local), std::mktime(&utc));
    return static_cast<int>(seconds / 60);
}

std::string mailDraftPath(const MailMessage& message)
{
    std::filesystem::path folder = message.folder;
    if (folder.empty() && !message.attachments.empty()) folder = std::filesystem::path(message.attachments.front()).parent_path();
    if (folder.empty()) return {};
    return (folder / kMailDraftName).string();
}

std::string saveMailDraft(const MailMessage& message, const LocalDateTime& now)
{
    const std::string path = mailDraftPath(message);
    if (path.empty()) throw Error("There is no folder to keep the message in.");
    static std::atomic<unsigned> serial{0};
    const std::string user = localUser();
    EmlHeaders headers;
    headers.from = "Larkspan <" + user + "@localhost>";
    headers.date = rfc5322Date(now, localUtcOffsetMinutes());
    headers.messageId = "<" + std::to_string(std::time(nullptr)) + "." + std::to_string(++serial) + "." + user +
                        "@larkspan.localhost>";
    const std::string content = writeEml(message, headers);
    // A private new file: a link planted at the draft's name is replaced.
    if (!safefile::replaceFile(path, content)) throw Error("Unable to create file " + path);
    return path;
}

}  // namespace larkspan
