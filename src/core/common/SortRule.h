#pragma once

#include <string>
#include <vector>

namespace larkspan {

using TextRow = std::vector<std::string>;

// Sorts rows by one column the way every report does: the column's text is
// padded on the left to the longest text of that column ("0" when it reads
// as a number, blanks otherwise), followed by a tab and each cell of the
// row; keys sort case-insensitively ascending and rows whose keys compare
// equal are written once. Descending writes the same order reversed, so
// equal counts then follow Z to A.
void sortRows(std::vector<TextRow>& rows, std::size_t column, bool descending);

// The same rule over rows held elsewhere: the indexes of the rows to keep,
// in their sorted order.
std::vector<std::size_t> sortRuleOrder(const std::vector<const TextRow*>& rows, std::size_t column, bool descending);

// Keeps the elements of items that order names, in that order.
template <typename T>
void applyOrder(std::vector<T>& items, const std::vector<std::size_t>& order)
{
    std::vector<T> sorted;
    sorted.reserve(order.size());
    for (const std::size_t index : order) sorted.push_back(std::move(items[index]));
    items.swap(sorted);
}

}  // namespace larkspan
