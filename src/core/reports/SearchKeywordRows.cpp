#include "reports/SearchKeywordRows.h"

#include "common/Text.h"
#include "reports/KeywordExtraction.h"

#include <algorithm>
#include <unordered_map>

namespace larkspan {

namespace {
struct Group {
    std::string name;
    std::string words;
};
} // namespace

std::vector<TextRow> searchKeywordRows(const SearchEngineTable& engines, bool phrases)
{
    std::vector<TextRow> matched;
    for (const SearchEngineTable::Row& row : engines.rows())
        if (!row.referrals.empty())
            matched.push_back({row.marker, row.parameters, row.name, row.referrals, row.keywords, row.phrases});
    if (!matched.empty()) sortRows(matched, 3, true);

    std::vector<Group> groups;
    std::unordered_map<std::string, std::size_t, text::CaseInsensitiveHash, text::CaseInsensitiveEqual> groupIndex;
    for (const TextRow& row : matched) {
        const std::string& words = row[phrases ? 5 : 4];
        if (words.empty()) continue;
        auto [it, added] = groupIndex.try_emplace(row[2], groups.size());
        if (added) groups.push_back({row[2], {}});
        Group& group = groups[it->second];
        if (!group.words.empty()) group.words += ',';
        group.words += words;
    }

    std::vector<TextRow> lines;
    for (const Group& group : groups) {
        std::vector<std::string> entries;
        std::vector<long long> counts;
        std::unordered_map<std::string, std::size_t, text::CaseInsensitiveHash, text::CaseInsensitiveEqual> seen;
        for (std::string entry : keywords::splitCommaText(group.words)) {
            if (phrases) std::replace(entry.begin(), entry.end(), '+', ' ');
            auto [it, added] = seen.try_emplace(entry, entries.size());
            if (added) {
                entries.push_back(std::move(entry));
                counts.push_back(1);
            } else {
                ++counts[it->second];
            }
        }
        std::vector<TextRow> counted;
        for (std::size_t i = 0; i < entries.size(); ++i)
            counted.push_back({group.name, entries[i], std::to_string(counts[i])});
        sortRows(counted, 2, true);
        for (std::size_t i = 1; i < counted.size(); ++i)
            counted[i][0].clear();
        for (TextRow& line : counted)
            lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace larkspan
