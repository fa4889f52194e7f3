#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace larkspan {

using TextRow = std::vector<std::string>;

// The cells of rows held in any form, so rows can be ranked without first
// being written out as text. cell() may compose its text in scratch; the
// view it returns lives until the next call with the same scratch.
class SortCells {
  public:
    virtual ~SortCells() = default;
    virtual std::size_t rowCount() const = 0;
    virtual std::size_t cellCount(std::size_t row) const = 0;
    virtual std::string_view cell(std::size_t row, std::size_t column, std::string& scratch) const = 0;
    // True when cell() may be called from two threads at once (each with a
    // scratch of its own): a long ranking then reads its rows' keys on two.
    virtual bool readableFromTwoThreads() const { return false; }
    // True when no two rows' sort keys can be equal: a cell holds a text the
    // rows are unique by without regard to ASCII case (a keyed list's key).
    // A top-N ranking then sorts only the rows that can be among the top.
    virtual bool keysDistinct() const { return false; }
};

// Sorts rows by one column the way every report does: the column's text is
// padded on the left to the longest text of that column ("0" when it reads
// as a number, blanks otherwise), followed by a tab and each cell of the
// row; keys sort case-insensitively ascending and rows whose keys compare
// equal are written once (the first of them). Descending writes the same
// order reversed, so equal counts then follow Z to A.
void sortRows(std::vector<TextRow>& rows, std::size_t column, bool descending);

// The same rule over rows held elsewhere: the indexes of the rows to keep,
// in their sorted order. The keys are compared as they are read, never
// composed, so ranking k rows takes O(k log k) time and O(k) extra memory.
std::vector<std::size_t> sortRuleOrder(const SortCells& rows, std::size_t column, bool descending);
std::vector<std::size_t> sortRuleOrder(const std::vector<const TextRow*>& rows, std::size_t column, bool descending);

// The first limit indexes of sortRuleOrder(rows, column, descending), and
// in distinct the length the whole order would have. Rows whose keys are
// distinct are not all sorted: only those that can be among the first.
std::vector<std::size_t> sortRuleTop(const SortCells& rows, std::size_t column, bool descending, std::size_t limit,
                                     std::size_t& distinct);

// Keeps the elements of items that order names, in that order.
template <typename T> void applyOrder(std::vector<T>& items, const std::vector<std::size_t>& order)
{
    std::vector<T> sorted;
    sorted.reserve(order.size());
    for (const std::size_t index : order)
        sorted.push_back(std::move(items[index]));
    items.swap(sorted);
}

} // namespace larkspan
