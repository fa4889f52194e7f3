#include "common/SortRule.h"

#include "common/Text.h"

#include <algorithm>

namespace larkspan {

void sortRows(std::vector<TextRow>& rows, std::size_t column, bool descending)
{
    std::size_t width = 0;
    for (const auto& row : rows)
        if (column < row.size()) width = std::max(width, row[column].size());

    struct Keyed {
        std::string key;
        std::size_t index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string cell = column < rows[i].size() ? rows[i][column] : std::string();
        const char pad = text::isNumber(cell) ? '0' : ' ';
        std::string key(width - cell.size(), pad);
        key += cell;
        for (const auto& value : rows[i]) {
            key += '\t';
            key += value;
        }
        keyed.push_back({std::move(key), i});
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const Keyed& a, const Keyed& b) { return text::icompare(a.key, b.key) < 0; });
    keyed.erase(std::unique(keyed.begin(), keyed.end(),
                            [](const Keyed& a, const Keyed& b) { return text::iequals(a.key, b.key); }),
                keyed.end());
    if (descending) std::reverse(keyed.begin(), keyed.end());

    std::vector<TextRow> sorted;
    sorted.reserve(keyed.size());
    for (const auto& k : keyed) sorted.push_back(std::move(rows[k.index]));
    rows.swap(sorted);
}

}  // namespace larkspan
