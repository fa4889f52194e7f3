#include "tracker/TrackerLine.h"

#include "common/ByteMask.h"

#include <cstdint>
#include <cstring>

namespace larkspan::tracker {

namespace {

// True when one of the eight packed bytes equals the byte c.
inline bool holdsByte(std::uint64_t word, unsigned char c)
{
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t high = 0x8080808080808080ull;
    const std::uint64_t x = word ^ (ones * c);
    return ((x - ones) & ~x & high) != 0;
}

} // namespace

bool needsQuotes(std::string_view field)
{
    using text::bytes::kBlock;
    const char* p = field.data();
    std::size_t n = field.size();
    const auto marked = [](const char* block) {
        return (text::bytes::matchMask(block, ',') | text::bytes::matchMask(block, '"')) != 0;
    };
    if (n >= kBlock) {
        // Whole blocks, the last one overlapping the one before it.
        for (std::size_t at = 0; at + kBlock <= n; at += kBlock)
            if (marked(p + at)) return true;
        return n % kBlock != 0 && marked(p + n - kBlock);
    }
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if (holdsByte(word, ',') || holdsByte(word, '"')) return true;
    }
    for (; n > 0; ++p, --n)
        if (*p == ',' || *p == '"') return true;
    return false;
}

void appendField(std::string& line, std::string_view field, bool first)
{
    if (!first) line += ',';
    if (!needsQuotes(field)) {
        line += field;
        return;
    }
    line += '"';
    for (const char c : field) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

void appendFields(std::string& line, std::span<const std::string_view> fields)
{
    for (const std::string_view field : fields) {
        if (needsQuotes(field)) {
            for (std::size_t i = 0; i < fields.size(); ++i)
                appendField(line, fields[i], i == 0);
            return;
        }
    }
    appendPlainFields(line, fields);
}

void appendPlainFields(std::string& line, std::span<const std::string_view> fields)
{
    std::size_t length = fields.size() - 1;
    for (const std::string_view field : fields)
        length += field.size();
    std::size_t at = line.size();
    line.resize(at + length);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line[at++] = ',';
        std::memcpy(line.data() + at, fields[i].data(), fields[i].size());
        at += fields[i].size();
    }
}

std::string joinFields(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i)
        appendField(line, fields[i], i == 0);
    return line;
}

std::vector<std::string> splitFields(std::string_view line)
{
    std::vector<std::string> fields;
    std::size_t i = 0;
    for (;;) {
        std::string field;
        if (i < line.size() && line[i] == '"') {
            ++i;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
        }
        const std::size_t comma = line.find(',', i);
        const std::size_t end = comma == std::string_view::npos ? line.size() : comma;
        field.append(line.substr(i, end - i));
        fields.push_back(std::move(field));
        if (comma == std::string_view::npos) break;
        i = comma + 1;
    }
    return fields;
}

} // namespace larkspan::tracker
