#pragma once

#include "analysis/FoldedKey.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace larkspan::analysis {

// Rows kept in order of first appearance, found by a key compared without
// regard to case. The key text of a row is the one first seen, so the first
// match wins and later spellings only add to it. Look-ups take a
// string_view and allocate nothing when the key is already there.
template <class Row>
class KeyedRows {
public:
    const std::vector<Row>& rows() const { return rows_; }
    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }

    // Index of the row whose key equals key (any case), or -1.
    long find(std::string_view key) const
    {
        const auto it = index_.find(key);
        return it == index_.end() ? -1 : static_cast<long>(it->second);
    }

    // The row of key, appended at the end when new; isNew tells which.
    // The caller fills a new row's other fields.
    Row& findOrAdd(std::string_view key, bool& isNew)
    {
        const auto it = index_.find(key);
        if (it != index_.end()) {
            isNew = false;
            return rows_[it->second];
        }
        isNew = true;
        rows_.emplace_back();
        Row& row = rows_.back();
        row.key.assign(key);
        index_.emplace(std::string(key), rows_.size() - 1);
        return row;
    }

    Row& at(std::size_t i) { return rows_[i]; }

    void clear()
    {
        rows_.clear();
        index_.clear();
    }

private:
    std::vector<Row> rows_;
    std::unordered_map<std::string, std::size_t, FoldedHash, FoldedEqual> index_;
};

}  // namespace larkspan::analysis
