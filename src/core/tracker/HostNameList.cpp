#include "tracker/HostNameList.h"

#include "common/SafeFile.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "settings/FileLock.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace larkspan::tracker {

namespace {

bool before(const std::string& a, const std::string& b)
{
    return text::icompare(a, b) < 0;
}

std::vector<std::string> readEntries(const std::string& path, bool& present)
{
    std::string content;
    present = readWholeFile(path, content);
    std::vector<std::string> lines;
    if (!present) return lines;
    for (std::string& line : text::splitLines(content))
        if (!line.empty()) lines.push_back(std::move(line));
    std::stable_sort(lines.begin(), lines.end(), before);
    lines.erase(std::unique(lines.begin(), lines.end(),
                            [](const std::string& a, const std::string& b) { return text::iequals(a, b); }),
                lines.end());
    return lines;
}

} // namespace

void HostNameList::load(const std::string& path)
{
    bool present = false;
    entries_ = readEntries(path, present);
}

bool HostNameList::add(std::string_view address, std::string_view answer)
{
    std::string entry;
    entry.reserve(address.size() + answer.size() + 1);
    entry.append(address).append("=").append(answer);
    return addEntry(std::move(entry));
}

bool HostNameList::addEntry(std::string entry)
{
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), entry, before);
    if (at != entries_.end() && text::iequals(*at, entry)) return false;
    entries_.insert(at, std::move(entry));
    return true;
}

std::optional<std::string_view> HostNameList::find(std::string_view address) const
{
    if (entries_.empty()) return std::nullopt;
    // The prefix address + "=", on the stack for the usual short address:
    // every run of a client's records asks.
    char small[128];
    std::string large;
    std::string_view prefix;
    if (address.size() < sizeof small) {
        std::memcpy(small, address.data(), address.size());
        small[address.size()] = '=';
        prefix = std::string_view(small, address.size() + 1);
    } else {
        large.assign(address).append("=");
        prefix = large;
    }
    // Entries beginning with the prefix stand together from its lower bound.
    auto it =
        std::lower_bound(entries_.begin(), entries_.end(), prefix,
                         [](const std::string& entry, std::string_view p) { return text::icompare(entry, p) < 0; });
    for (; it != entries_.end() && text::istartsWith(*it, prefix); ++it) {
        if (it->find('=') == address.size()) return std::string_view(*it).substr(prefix.size());
    }
    return std::nullopt;
}

bool HostNameList::saveMerged(const std::string& path)
{
    // A missing folder has nothing to lock; a file that is there but cannot
    // be read is left as it is.
    std::error_code ec;
    if (!fs::is_directory(fs::path(path).parent_path(), ec)) return false;
    FileLock lock(path + ".lock");
    if (!lock.acquire()) return false;
    bool present = false;
    std::vector<std::string> merged = readEntries(path, present);
    if (!present && fs::exists(fs::symlink_status(path, ec))) return false;
    const std::size_t onDisk = merged.size();
    std::vector<std::string> missing;
    for (const std::string& entry : entries_) {
        const auto at = std::lower_bound(merged.begin(), merged.begin() + static_cast<long>(onDisk), entry, before);
        if (at == merged.begin() + static_cast<long>(onDisk) || !text::iequals(*at, entry)) missing.push_back(entry);
    }
    if (present && missing.empty()) {
        entries_ = std::move(merged);
        return true;
    }
    merged.insert(merged.end(), missing.begin(), missing.end());
    std::inplace_merge(merged.begin(), merged.begin() + static_cast<long>(onDisk), merged.end(), before);
    if (!safefile::replaceFile(path, joinCrLf(merged))) return false;
    entries_ = std::move(merged);
    return true;
}

} // namespace larkspan::tracker
