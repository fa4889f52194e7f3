#include "analysis/RecordFilter.h"

#include "common/ProgramFolder.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "profiles/ProfileFiles.h"

namespace larkspan::analysis {

namespace {

std::string normaliseDirectory(std::string path)
{
    if (path.empty() || path.front() != '/') path.insert(path.begin(), '/');
    if (path.back() != '/') path.push_back('/');
    return path;
}

bool hasStar(std::string_view s)
{
    return s.find('*') != std::string_view::npos;
}

// A whole number as the list reads it (surrounding blanks allowed).
bool wholeNumber(std::string_view s, long long& value)
{
    return text::parseInteger(text::trim(s), value);
}

} // namespace

RecordFilter RecordFilter::build(const std::vector<std::string>& ipLines, const std::vector<std::string>& subdLines)
{
    RecordFilter f;

    // Addresses: single entries, range lines, "*" entries dropped.
    f.addressListEmpty_ = true;
    for (const std::string& line : ipLines) {
        const auto comma = line.find(',');
        if (comma == std::string::npos) {
            if (!hasStar(line)) f.addresses_.insert(text::trim(line));
            f.addressListEmpty_ = false;
            continue;
        }
        const std::string address = line.substr(0, comma);
        const std::size_t lastDot = address.rfind('.');
        const std::string startText = lastDot == std::string::npos ? address : address.substr(lastDot + 1);
        const std::string prefix = lastDot == std::string::npos ? std::string() : address.substr(0, lastDot);
        long long start = 0;
        long long end = 0;
        if (!wholeNumber(startText, start) || !wholeNumber(line.substr(comma + 1), end)) continue; // removed
        f.addressListEmpty_ = false;
        const std::string trimmed = text::trim(address);
        if (!hasStar(trimmed)) f.addresses_.insert(trimmed);
        if (end >= start + 1 && !hasStar(prefix)) f.ranges_[text::trimLeft(prefix)].push_back({start + 1, end});
    }

    // Sub-web and excluded directories.
    std::size_t first = 0;
    if (!subdLines.empty()) {
        const std::string& line = subdLines.front();
        const auto comma = line.find(',');
        const std::string keyword = comma == std::string::npos ? std::string() : line.substr(comma + 1);
        if (text::trim(keyword).empty()) {
            first = 1;
        } else if (text::toUpper(keyword) == "SUBDOMAIN") {
            f.subWeb_ = normaliseDirectory(line.substr(0, comma));
            first = 1;
        }
    }
    std::vector<std::string> kept;
    for (std::size_t i = first; i < subdLines.size(); ++i) {
        const std::string& line = subdLines[i];
        const auto comma = line.find(',');
        if (comma == std::string::npos) continue;
        const std::string keyword = line.substr(comma + 1);
        if (text::trim(keyword).empty() || text::toUpper(keyword) != "EXCLUDE") continue;
        kept.push_back(normaliseDirectory(line.substr(0, comma)));
    }
    f.excludedDirectories_ = std::move(kept);
    f.keepsEverything_ = !f.subWeb_ && f.excludedDirectories_.empty() && f.addressListEmpty_;
    return f;
}

RecordFilter RecordFilter::load(const ProgramFolder& folder, const std::string& profile)
{
    const profiles::ProfileFiles files = profiles::ProfileFiles::of(folder, profile);
    return build(loadList(files.ip), loadList(files.subd));
}

bool RecordFilter::isExcludedAddress(std::string_view clientAddress) const
{
    if (addresses_.find(clientAddress) != addresses_.end()) return true;
    if (ranges_.empty()) return false;
    const std::size_t lastDot = clientAddress.rfind('.');
    if (lastDot == std::string_view::npos) return false;
    const auto it = ranges_.find(clientAddress.substr(0, lastDot));
    if (it == ranges_.end()) return false;
    // The range entries are written as plain decimal numbers, so only that
    // exact spelling matches.
    const std::string_view tail = clientAddress.substr(lastDot + 1);
    long long n = 0;
    if (!text::parseInteger(tail, n) || std::to_string(n) != tail) return false;
    for (const NumberRange& r : it->second) {
        if (n >= r.first && n <= r.last) return true;
    }
    return false;
}

bool RecordFilter::acceptFiltered(std::string_view path, std::string_view clientAddress) const
{
    if (subWeb_ && !text::istartsWith(path, *subWeb_)) return false;
    for (const std::string& dir : excludedDirectories_) {
        if (text::istartsWith(path, dir)) return false;
    }
    if (!addressListEmpty_ && isExcludedAddress(clientAddress)) return false;
    return true;
}

} // namespace larkspan::analysis
