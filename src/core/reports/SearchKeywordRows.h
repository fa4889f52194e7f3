#pragma once

#include <vector>

#include "common/SortRule.h"
#include "reports/SearchEngineTable.h"

namespace larkspan {

// The lines of the keyword reports from what the search-engine report
// collected: engines in descending order of referrals (rows sharing a name
// form one group), and within an engine its words with the number of
// referring URLs that carried them, most frequent first (equal counts in
// reverse alphabetical order). Words compare ignoring case; the spelling met
// first is shown. The engine's name stands only on its first line.
// Each line: engine name (or empty), word, count. For phrases every "+" of a
// word is shown as a blank.
std::vector<TextRow> searchKeywordRows(const SearchEngineTable& engines, bool phrases);

} // namespace larkspan
