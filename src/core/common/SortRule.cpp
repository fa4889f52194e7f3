#include "common/SortRule.h"

#include "common/Text.h"

#include <algorithm>
#include <cstdint>

namespace larkspan {

namespace {

// How a row's sort column is padded: its length and whether it reads as a
// number (padded with "0") or not (blanks).
struct SortCellShape {
    std::uint32_t length = 0;
    bool number = false;
};

// Reads a row's sort key (padding, sort cell, then a tab before each cell)
// piece by piece, composing nothing.
class KeyReader {
  public:
    KeyReader(const KeyReader&) = delete;
    KeyReader& operator=(const KeyReader&) = delete;

    KeyReader(const SortCells& cells, std::size_t row, std::size_t column, SortCellShape shape, std::size_t width)
        : cells_(cells), row_(row), cellCount_(cells.cellCount(row)), pad_(width - shape.length),
          padChar_(shape.number ? '0' : ' ')
    {
        piece_ = cells_.cell(row_, column, scratch_);
    }

    // The unread text of the current piece; empty at the end of the key.
    std::string_view piece()
    {
        if (pad_ > 0) return padding();
        while (at_ == piece_.size()) {
            if (nextCell_ == cellCount_ && !tabDue_) return {};
            if (tabDue_) {
                tabDue_ = false;
                piece_ = cells_.cell(row_, nextCell_++, scratch_);
            } else {
                tabDue_ = true;
                piece_ = "\t";
            }
            at_ = 0;
        }
        return piece_.substr(at_);
    }

    void advance(std::size_t n)
    {
        if (pad_ > 0) {
            pad_ -= n;
            return;
        }
        at_ += n;
    }

  private:
    std::string_view padding() const
    {
        static const std::string zeros(256, '0');
        static const std::string blanks(256, ' ');
        const std::string& run = padChar_ == '0' ? zeros : blanks;
        return std::string_view(run).substr(0, std::min(pad_, run.size()));
    }

    const SortCells& cells_;
    std::size_t row_;
    std::size_t cellCount_;
    std::size_t pad_;
    char padChar_;
    std::string scratch_;
    std::string_view piece_;
    std::size_t at_ = 0;
    std::size_t nextCell_ = 0;
    bool tabDue_ = false; // the sort cell is read; the first tab comes next
};

// text::icompare of two rows' sort keys.
int compareKeys(KeyReader& a, KeyReader& b)
{
    for (;;) {
        const std::string_view pa = a.piece();
        const std::string_view pb = b.piece();
        if (pa.empty() || pb.empty()) return pa.empty() ? (pb.empty() ? 0 : -1) : 1;
        const std::size_t n = std::min(pa.size(), pb.size());
        if (const int c = text::icompare(pa.substr(0, n), pb.substr(0, n))) return c;
        a.advance(n);
        b.advance(n);
    }
}

class TextRowCells : public SortCells {
  public:
    explicit TextRowCells(const std::vector<const TextRow*>& rows) : rows_(rows) {}
    std::size_t rowCount() const override { return rows_.size(); }
    std::size_t cellCount(std::size_t row) const override { return rows_[row]->size(); }
    std::string_view cell(std::size_t row, std::size_t column, std::string&) const override
    {
        const TextRow& r = *rows_[row];
        return column < r.size() ? std::string_view(r[column]) : std::string_view();
    }

  private:
    const std::vector<const TextRow*>& rows_;
};

// Compares rows by their sort keys (text::icompare of the composed keys).
class KeyComparer {
  public:
    KeyComparer(const SortCells& cells, std::size_t column) : cells_(cells), column_(column)
    {
        const std::size_t count = cells.rowCount();
        shapes_.resize(count);
        std::string scratch;
        for (std::size_t i = 0; i < count; ++i) {
            const std::string_view cell = cells.cell(i, column, scratch);
            shapes_[i] = {static_cast<std::uint32_t>(cell.size()), text::isNumber(cell)};
            width_ = std::max(width_, cell.size());
        }
    }

    int operator()(std::size_t a, std::size_t b) const
    {
        KeyReader keyA(cells_, a, column_, shapes_[a], width_);
        KeyReader keyB(cells_, b, column_, shapes_[b], width_);
        return compareKeys(keyA, keyB);
    }

    // A hash of the row's whole key, folding case: equal keys hash equal
    // even where padding or tabs inside cells make their cells differ.
    std::size_t keyHash(std::size_t row) const
    {
        KeyReader key(cells_, row, column_, shapes_[row], width_);
        std::uint64_t h = 0xcbf29ce484222325ull;
        for (std::string_view piece = key.piece(); !piece.empty(); piece = key.piece()) {
            for (const char c : piece)
                h = (h ^ static_cast<unsigned char>(text::lower(c))) * 0x100000001b3ull;
            key.advance(piece.size());
        }
        return static_cast<std::size_t>(h);
    }

  private:
    const SortCells& cells_;
    std::size_t column_;
    std::vector<SortCellShape> shapes_;
    std::size_t width_ = 0;
};

// How many rows have a key equal to an earlier row's: rows are grouped by a
// hash first, so only rows that may be equal are compared.
std::size_t duplicateCount(const SortCells& cells, const KeyComparer& compare)
{
    std::vector<std::pair<std::size_t, std::size_t>> hashed(cells.rowCount());
    for (std::size_t i = 0; i < hashed.size(); ++i)
        hashed[i] = {compare.keyHash(i), i};
    std::sort(hashed.begin(), hashed.end());
    std::size_t duplicates = 0;
    std::vector<std::size_t> group;
    for (std::size_t begin = 0; begin < hashed.size();) {
        std::size_t end = begin + 1;
        while (end < hashed.size() && hashed[end].first == hashed[begin].first)
            ++end;
        if (end - begin > 1) {
            group.clear();
            for (std::size_t i = begin; i < end; ++i)
                group.push_back(hashed[i].second);
            std::sort(group.begin(), group.end(), [&](std::size_t a, std::size_t b) { return compare(a, b) < 0; });
            for (std::size_t i = 1; i < group.size(); ++i)
                if (compare(group[i - 1], group[i]) == 0) ++duplicates;
        }
        begin = end;
    }
    return duplicates;
}

} // namespace

std::vector<std::size_t> sortRuleTop(const SortCells& cells, std::size_t column, bool descending, std::size_t limit,
                                     std::size_t& distinct)
{
    const std::size_t count = cells.rowCount();
    const KeyComparer compare(cells, column);
    distinct = count - duplicateCount(cells, compare);
    // The order sortRuleOrder gives, as a strict total order: by key, then
    // the first row of equal keys (the one kept) before the others.
    const auto before = [&](std::size_t a, std::size_t b) {
        const int c = compare(a, b);
        return c != 0 ? (descending ? c > 0 : c < 0) : a < b;
    };
    std::vector<std::size_t> order(count);
    std::vector<std::size_t> top;
    for (std::size_t selected = std::min(count, limit + limit / 2 + 16);; selected = std::min(count, selected * 4)) {
        for (std::size_t i = 0; i < count; ++i)
            order[i] = i;
        std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(selected), order.end(), before);
        top.clear();
        for (std::size_t i = 0; i < selected && top.size() < limit; ++i)
            if (top.empty() || compare(top.back(), order[i]) != 0) top.push_back(order[i]);
        if (top.size() >= limit || selected == count) return top;
    }
}

std::vector<std::size_t> sortRuleOrder(const SortCells& cells, std::size_t column, bool descending)
{
    const std::size_t count = cells.rowCount();
    const KeyComparer compare(cells, column);
    std::vector<std::size_t> order(count);
    for (std::size_t i = 0; i < count; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return compare(a, b) < 0; });
    order.erase(
        std::unique(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return compare(a, b) == 0; }),
        order.end());
    if (descending) std::reverse(order.begin(), order.end());
    return order;
}

std::vector<std::size_t> sortRuleOrder(const std::vector<const TextRow*>& rows, std::size_t column, bool descending)
{
    return sortRuleOrder(TextRowCells(rows), column, descending);
}

void sortRows(std::vector<TextRow>& rows, std::size_t column, bool descending)
{
    std::vector<const TextRow*> view;
    view.reserve(rows.size());
    for (const auto& row : rows)
        view.push_back(&row);
    applyOrder(rows, sortRuleOrder(view, column, descending));
}

} // namespace larkspan
