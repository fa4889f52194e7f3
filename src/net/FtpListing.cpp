#include "FtpListing.h"

#include "common/Text.h"

#include <cctype>
#include <charconv>

namespace larkspan::net {

namespace {

std::vector<std::string_view> lines(std::string_view text)
{
    std::vector<std::string_view> out;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) out.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return out;
}

bool toSize(std::string_view digits, std::uint64_t& size)
{
    if (digits.empty()) return false;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
    return ec == std::errc() && end == digits.data() + digits.size();
}

bool allDigits(std::string_view text)
{
    if (text.empty()) return false;
    for (const char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// "YYYYMMDDHHMMSS[.sss]" into date and time.
void setModified(FtpEntry& entry, std::string_view value)
{
    if (value.size() < 14 || !allDigits(value.substr(0, 14))) return;
    const std::string v(value.substr(0, 14));
    entry.date = v.substr(0, 4) + "-" + v.substr(4, 2) + "-" + v.substr(6, 2);
    entry.time = v.substr(8, 2) + ":" + v.substr(10, 2) + ":" + v.substr(12, 2);
}

// Splits off the first n blank-separated words; rest is what follows them,
// without the blanks in between.
bool splitWords(std::string_view line, std::size_t n, std::vector<std::string_view>& words, std::string_view& rest)
{
    words.clear();
    std::size_t at = 0;
    while (words.size() < n) {
        while (at < line.size() && line[at] == ' ')
            ++at;
        if (at >= line.size()) return false;
        const auto end = std::min(line.find(' ', at), line.size());
        words.push_back(line.substr(at, end - at));
        at = end;
    }
    while (at < line.size() && line[at] == ' ')
        ++at;
    rest = line.substr(at);
    return !rest.empty();
}

bool parseUnixLine(std::string_view line, FtpEntry& entry)
{
    std::vector<std::string_view> words;
    std::string_view name;
    if (line.size() < 10 || std::string_view("-dlcbps").find(line[0]) == std::string_view::npos) return false;
    if (!splitWords(line, 8, words, name) || !toSize(words[4], entry.size)) return false;
    entry.directory = line[0] == 'd';
    if (line[0] == 'l') name = name.substr(0, name.find(" -> "));
    entry.name = std::string(name);
    entry.date = std::string(words[5]) + " " + std::string(words[6]);
    if (words[7].find(':') != std::string_view::npos)
        entry.time = std::string(words[7]);
    else
        entry.date += " " + std::string(words[7]);
    return true;
}

bool parseDosLine(std::string_view line, FtpEntry& entry)
{
    std::vector<std::string_view> words;
    std::string_view name;
    if (!splitWords(line, 3, words, name) || words[0].size() < 8 || words[0][2] != '-') return false;
    entry.directory = words[2] == "<DIR>";
    if (!entry.directory && !toSize(words[2], entry.size)) return false;
    entry.name = std::string(name);
    entry.date = std::string(words[0]);
    entry.time = std::string(words[1]);
    return true;
}

} // namespace

std::vector<FtpEntry> parseMachineListing(std::string_view text)
{
    std::vector<FtpEntry> entries;
    for (const std::string_view line : lines(text)) {
        const auto space = line.find(' ');
        if (space == std::string_view::npos || space + 1 >= line.size()) continue;
        FtpEntry entry;
        entry.name = std::string(line.substr(space + 1));
        std::string_view facts = line.substr(0, space);
        bool skip = false;
        while (!facts.empty()) {
            const auto end = facts.find(';');
            const std::string_view fact = facts.substr(0, end);
            facts = end == std::string_view::npos ? std::string_view() : facts.substr(end + 1);
            const auto equals = fact.find('=');
            if (equals == std::string_view::npos) continue;
            const std::string key = text::toLower(std::string(fact.substr(0, equals)));
            const std::string_view value = fact.substr(equals + 1);
            if (key == "type") {
                const std::string type = text::toLower(std::string(value));
                if (type == "cdir" || type == "pdir") skip = true;
                entry.directory = type == "dir";
            } else if (key == "size") {
                toSize(value, entry.size);
            } else if (key == "modify") {
                setModified(entry, value);
            }
        }
        if (!skip) entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<FtpEntry> parseLongListing(std::string_view text)
{
    std::vector<FtpEntry> entries;
    for (const std::string_view line : lines(text)) {
        FtpEntry entry;
        if (parseUnixLine(line, entry) || parseDosLine(line, entry)) {
            if (entry.name == "." || entry.name == "..") continue;
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

} // namespace larkspan::net
