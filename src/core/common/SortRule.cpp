#include "common/SortRule.h"

#include "common/Text.h"

#include <algorithm>

namespace larkspan {

std::vector<std::size_t> sortRuleOrder(const std::vector<const TextRow*>& rows, std::size_t column, bool descending)
{
    static const std::string none;
    const auto cellOf = [column](const TextRow& row) -> const std::string& {
        return column < row.size() ? row[column] : none;
    };
    std::size_t width = 0;
    for (const TextRow* row : rows) width = std::max(width, cellOf(*row).size());

    struct Keyed {
        std::string key;
        std::size_t index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string& cell = cellOf(*rows[i]);
        std::string key(width - cell.size(), text::isNumber(cell) ? '0' : ' ');
        key += cell;
        for (const auto& value : *rows[i]) {
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

    std::vector<std::size_t> order;
    order.reserve(keyed.size());
    for (const auto& k : keyed) order.push_back(k.index);
    return order;
}

void sortRows(std::vector<TextRow>& rows, std::size_t column, bool descending)
{
    std::vector<const TextRow*> view;
    view.reserve(rows.size());
    for (const auto& row : rows) view.push_back(&row);
    applyOrder(rows, sortRuleOrder(view, column, descending));
}

}  // namespace larkspan
