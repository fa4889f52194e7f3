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

}  // namespace larkspan
