#include "common/SortRule.h"

#include "common/FoldedWords.h"
#include "common/LargeBlocks.h"
#include "common/Text.h"
#include "common/WorkerThreads.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <stdexcept>

namespace larkspan {

namespace {

// Rows from which a ranking's sort and key reading are split over two threads.
constexpr std::size_t kTwoThreadSortFrom = std::size_t{1} << 16;

// Reads a row's sort key (padding, sort cell, then a tab before each cell)
// piece by piece, composing nothing. The sort cell is padded on the left to
// width with "0" when it reads as a number, else with blanks.
class KeyReader {
  public:
    KeyReader(const KeyReader&) = delete;
    KeyReader& operator=(const KeyReader&) = delete;

    KeyReader(const SortCells& cells, std::size_t row, std::size_t column, std::size_t width)
        : cells_(cells), row_(row), cellCount_(cells.cellCount(row))
    {
        piece_ = cells_.cell(row_, column, scratch_);
        pad_ = width - piece_.size();
        padChar_ = text::isNumber(piece_) ? '0' : ' ';
    }

    // A reader standing after the padded sort cell and its tab.
    struct AfterSortCell {};
    KeyReader(const SortCells& cells, std::size_t row, AfterSortCell)
        : cells_(cells), row_(row), cellCount_(cells.cellCount(row)), tabDue_(true)
    {
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
    std::size_t pad_ = 0;
    char padChar_ = ' ';
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
    bool readableFromTwoThreads() const override { return true; }

  private:
    const std::vector<const TextRow*>& rows_;
};

// A row's place in a ranking: key bytes condensed into integers that order
// rows exactly as their keys do wherever they differ. First the key's
// beginning (the number in the sort column, then the bytes after it, or the
// first bytes), later the next bytes of keys that were alike so far.
struct RankedEntry {
    static constexpr std::size_t kWords = 4;
    std::uint64_t words[kWords] = {};
    std::uint32_t taken = 0; // key bytes the words hold (fewer than they can: the key ended)
    std::uint32_t row = 0;

    bool sameWords(const RankedEntry& other) const
    {
        for (std::size_t i = 0; i < kWords; ++i)
            if (words[i] != other.words[i]) return false;
        return taken == other.taken;
    }
    // By the words, then by row.
    bool operator<(const RankedEntry& other) const
    {
        for (std::size_t i = 0; i < kWords; ++i)
            if (words[i] != other.words[i]) return words[i] < other.words[i];
        return taken != other.taken ? taken < other.taken : row < other.row;
    }
};
using RankedEntries = memory::LargeVector<RankedEntry>;

// Up to eight bytes of the key from where the reader stands, case folded
// and packed high byte first; a key that ends early is padded with zero
// bytes, so a key sorts before every longer key it begins.
std::uint64_t takeWord(KeyReader& key, int* takenBytes = nullptr)
{
    if constexpr (std::endian::native == std::endian::little) {
        // Eight bytes of one piece at once: folded, then turned high byte first.
        const std::string_view piece = key.piece();
        if (piece.size() >= 8) {
            key.advance(8);
            if (takenBytes) *takenBytes = 8;
            return text::words::foldedPrefix(piece);
        }
    }
    std::uint64_t word = 0;
    int taken = 0;
    while (taken < 8) {
        const std::string_view piece = key.piece();
        if (piece.empty()) break;
        const std::size_t n = std::min<std::size_t>(piece.size(), static_cast<std::size_t>(8 - taken));
        for (std::size_t i = 0; i < n; ++i)
            word = (word << 8) | static_cast<unsigned char>(text::lower(piece[i]));
        key.advance(n);
        taken += static_cast<int>(n);
    }
    if (takenBytes) *takenBytes = taken;
    return taken == 0 ? 0 : word << (8 * (8 - taken));
}

void skipBytes(KeyReader& key, std::size_t count)
{
    while (count > 0) {
        const std::string_view piece = key.piece();
        if (piece.empty()) return;
        const std::size_t n = std::min(piece.size(), count);
        key.advance(n);
        count -= n;
    }
}

// A cell of decimal digits only that fits an unsigned 64-bit integer.
bool readDigits(std::string_view cell, std::uint64_t& value)
{
    if (cell.empty() || cell.size() > 19) return false;
    value = 0;
    for (const char c : cell) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

// Compares rows by their sort keys (text::icompare of the composed keys).
class KeyComparer {
  public:
    // Reads every sort cell once: the column's width and, while every cell
    // so far is a run of digits, their values.
    KeyComparer(const SortCells& cells, std::size_t column) : cells_(cells), column_(column)
    {
        const std::size_t count = cells.rowCount();
        // An entry names its row in 32 bits.
        if (count > UINT32_MAX) throw std::length_error("too many rows to rank");
        values_.resize(count);
        std::size_t widths[2] = {0, 0};
        bool numbers[2] = {true, true};
        splitInTwo(count, twoThreads(), [&](std::size_t first, std::size_t last) {
            const std::size_t half = first == 0 ? 0 : 1;
            std::string scratch;
            for (std::size_t i = first; i < last; ++i) {
                const std::string_view cell = cells.cell(i, column, scratch);
                widths[half] = std::max(widths[half], cell.size());
                numbers[half] =
                    numbers[half] && cells.cellCount(i) > 0 && readDigits(cell, values_[i]) && text::isNumber(cell);
            }
        });
        width_ = std::max(widths[0], widths[1]);
        numbers_ = numbers[0] && numbers[1] && width_ <= 19;
        if (!numbers_) memory::LargeVector<std::uint64_t>().swap(values_);
    }

    // Every row's entry. When every sort cell is a run of digits, the padded
    // cells are digit strings of one length, which order as their values:
    // the value leads, and the bytes after the cell and its tab follow.
    RankedEntries entries()
    {
        const std::size_t count = cells_.rowCount();
        RankedEntries out(count);
        const bool numbers = numbers_;
        const std::size_t firstByteWord = numbers ? 1 : 0;
        splitInTwo(count, twoThreads(), [&](std::size_t first, std::size_t last) {
            for (std::size_t i = first; i < last; ++i) {
                out[i].row = static_cast<std::uint32_t>(i);
                if (numbers) {
                    out[i].words[0] = values_[i];
                    KeyReader key(cells_, i, KeyReader::AfterSortCell{});
                    takeWords(key, out[i], firstByteWord);
                } else {
                    KeyReader key(cells_, i, column_, width_);
                    takeWords(key, out[i], firstByteWord);
                }
            }
        });
        memory::LargeVector<std::uint64_t>().swap(values_);
        firstBytes_ = 8 * (RankedEntry::kWords - firstByteWord);
        afterEntry_ = (numbers ? width_ + 1 : 0) + firstBytes_;
        return out;
    }

    // How many key bytes entries() puts in an entry, and where the key bytes
    // it left out begin.
    std::size_t firstBytes() const { return firstBytes_; }
    std::size_t afterEntry() const { return afterEntry_; }

    // Fills an entry's words with the key bytes from offset on.
    void readAt(RankedEntry& entry, std::size_t offset) const
    {
        KeyReader key(cells_, entry.row, column_, width_);
        skipBytes(key, offset);
        takeWords(key, entry, 0);
    }

    int operator()(std::size_t a, std::size_t b) const
    {
        KeyReader keyA(cells_, a, column_, width_);
        KeyReader keyB(cells_, b, column_, width_);
        return compareKeys(keyA, keyB);
    }

  private:
    // Whether the rows' keys are read on two threads.
    bool twoThreads() const { return cells_.rowCount() >= kTwoThreadSortFrom && cells_.readableFromTwoThreads(); }

    const SortCells& cells_;
    std::size_t column_;
    std::size_t width_ = 0;
    bool numbers_ = true;
    memory::LargeVector<std::uint64_t> values_; // the sort cells' values while numbers_
    std::size_t firstBytes_ = 0;
    std::size_t afterEntry_ = 0;

    // The entry's words from the first'th on, eight key bytes each.
    static void takeWords(KeyReader& key, RankedEntry& entry, std::size_t first)
    {
        entry.taken = 0;
        for (std::size_t i = first; i < RankedEntry::kWords; ++i) {
            int bytes = 0;
            entry.words[i] = takeWord(key, &bytes);
            entry.taken += static_cast<std::uint32_t>(bytes);
        }
    }
};

// std::sort of entries[first, last) by their words, then row. A long range
// is split at its middle element, and each side is sorted on its own
// thread: the entries order strictly (no two share a row), so the result is
// the one std::sort gives, and no entry is copied to merge.
void sortByWords(RankedEntries& entries, std::size_t first, std::size_t last)
{
    const auto begin = entries.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end = entries.begin() + static_cast<std::ptrdiff_t>(last);
    const std::size_t count = last - first;
    if (count < kTwoThreadSortFrom || workerThreadCount() < 2) {
        std::sort(begin, end);
        return;
    }
    std::nth_element(begin, begin + static_cast<std::ptrdiff_t>(count / 2), end);
    splitInTwo(count, true, [&](std::size_t from, std::size_t to) {
        std::sort(begin + static_cast<std::ptrdiff_t>(from), begin + static_cast<std::ptrdiff_t>(to));
    });
}

// Sorts entries[first, last), whose keys are alike as far as they were
// read and ended there, by their whole keys, ties by row; marks each entry
// whose key equals the one before. Returns how many it marked.
std::size_t sortEndedAlike(RankedEntries& entries, std::size_t first, std::size_t last,
                           const KeyComparer& compare, memory::LargeVector<char>& sameAsBefore)
{
    const auto begin = entries.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end = entries.begin() + static_cast<std::ptrdiff_t>(last);
    std::sort(begin, end, [&](const RankedEntry& a, const RankedEntry& b) {
        const int c = compare(a.row, b.row);
        return c != 0 ? c < 0 : a.row < b.row;
    });
    std::size_t duplicates = 0;
    for (std::size_t i = first + 1; i < last; ++i) {
        if (compare(entries[i - 1].row, entries[i].row) != 0) continue;
        sameAsBefore[i] = 1;
        ++duplicates;
    }
    return duplicates;
}

// Sorts the entries by their whole keys, rows of equal keys by row, and
// marks in sameAsBefore each entry whose key equals the one before it;
// returns how many it marked. The entries' words order them first; the
// rows of a run that share them are ordered by the next 32 key bytes, then
// the next, so a key is read only about as far as it is like another (a
// sort by pieces of the keys, most significant first, in place). Rows
// whose keys end alike are compared whole.
std::size_t sortEntries(RankedEntries& entries, const KeyComparer& compare, memory::LargeVector<char>& sameAsBefore)
{
    sameAsBefore.assign(entries.size(), 0);
    struct Alike {
        std::size_t first;
        std::size_t last;
        std::size_t offset; // the rows' keys agree before it
    };
    std::vector<Alike> pending;
    std::size_t duplicates = 0;
    // Sorts entries[first, last) by their words and files the runs that
    // share them: for comparing whole when their keys ended, else for
    // reading on from next.
    const auto sortRun = [&](std::size_t first, std::size_t last, std::size_t wordBytes, std::size_t next) {
        sortByWords(entries, first, last);
        for (std::size_t start = first; start < last;) {
            std::size_t end = start + 1;
            while (end < last && entries[end].sameWords(entries[start]))
                ++end;
            if (end - start > 1) {
                if (entries[start].taken < wordBytes)
                    duplicates += sortEndedAlike(entries, start, end, compare, sameAsBefore);
                else
                    pending.push_back({start, end, next});
            }
            start = end;
        }
    };
    constexpr std::size_t kRoundBytes = 8 * RankedEntry::kWords;
    sortRun(0, entries.size(), compare.firstBytes(), compare.afterEntry());
    while (!pending.empty()) {
        const Alike alike = pending.back();
        pending.pop_back();
        for (std::size_t i = alike.first; i < alike.last; ++i)
            compare.readAt(entries[i], alike.offset);
        sortRun(alike.first, alike.last, kRoundBytes, alike.offset + kRoundBytes);
    }
    return duplicates;
}

// The rows of the first limit distinct keys of entries sorted by
// sortEntries, from the end when descending: of equal keys, the first row.
std::vector<std::size_t> distinctRows(const RankedEntries& entries, const memory::LargeVector<char>& sameAsBefore,
                                      bool descending, std::size_t limit)
{
    std::vector<std::size_t> rows;
    rows.reserve(std::min(limit, entries.size()));
    if (!descending) {
        for (std::size_t i = 0; i < entries.size() && rows.size() < limit; ++i)
            if (!sameAsBefore[i]) rows.push_back(entries[i].row);
        return rows;
    }
    for (std::size_t end = entries.size(); end > 0 && rows.size() < limit;) {
        std::size_t start = end - 1;
        while (sameAsBefore[start])
            --start;
        rows.push_back(entries[start].row);
        end = start;
    }
    return rows;
}

// Of entries whose keys all differ, those that can be among the first limit
// (the last limit when descending) in key order: the limit entries first by
// their words, and every other entry whose words equal the last of those,
// which only the whole keys can place. The others' words, and so their
// keys, come after (before) all of these.
RankedEntries entriesThatCanLead(RankedEntries& entries, bool descending, std::size_t limit)
{
    const std::size_t edge = descending ? entries.size() - limit : limit - 1;
    const auto begin = entries.begin();
    std::nth_element(begin, begin + static_cast<std::ptrdiff_t>(edge), entries.end());
    const RankedEntry boundary = entries[edge];
    const std::size_t from = descending ? edge : 0;
    const std::size_t to = descending ? entries.size() : limit;
    RankedEntries lead(begin + static_cast<std::ptrdiff_t>(from), begin + static_cast<std::ptrdiff_t>(to));
    for (std::size_t i = 0; i < entries.size(); ++i)
        if ((i < from || i >= to) && entries[i].sameWords(boundary)) lead.push_back(entries[i]);
    return lead;
}

} // namespace

std::vector<std::size_t> sortRuleTop(const SortCells& cells, std::size_t column, bool descending, std::size_t limit,
                                     std::size_t& distinct)
{
    KeyComparer compare(cells, column);
    RankedEntries entries = compare.entries();
    memory::LargeVector<char> sameAsBefore;
    if (cells.keysDistinct() && limit > 0 && limit < entries.size() / 4) {
        distinct = entries.size();
        RankedEntries top = entriesThatCanLead(entries, descending, limit);
        sortEntries(top, compare, sameAsBefore);
        return distinctRows(top, sameAsBefore, descending, limit);
    }
    distinct = entries.size() - sortEntries(entries, compare, sameAsBefore);
    return distinctRows(entries, sameAsBefore, descending, limit);
}

std::vector<std::size_t> sortRuleOrder(const SortCells& cells, std::size_t column, bool descending)
{
    KeyComparer compare(cells, column);
    RankedEntries entries = compare.entries();
    memory::LargeVector<char> sameAsBefore;
    sortEntries(entries, compare, sameAsBefore);
    return distinctRows(entries, sameAsBefore, descending, entries.size());
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
