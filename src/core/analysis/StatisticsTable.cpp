#include "analysis/StatisticsTable.h"

#include "common/Text.h"

#include <algorithm>
#include <cstdio>

namespace larkspan::analysis {

namespace {

constexpr int kSetUpSize = 38;
constexpr int kFirstErrorListColumn = 38;

std::string numberText(long long n)
{
    return std::to_string(n);
}

// General floating-point text: whole values without a decimal point.
std::string kilobyteText(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

template <class Rows> std::optional<long long> listCounter(const Rows& rows)
{
    if (rows.empty()) return std::nullopt;
    return static_cast<long long>(rows.size()) - 1;
}

} // namespace

std::optional<long long> StatisticsTable::counter(StatList list) const
{
    switch (list) {
    case StatList::Buckets:
        return listCounter(buckets_);
    case StatList::Referrers:
        return listCounter(referrers_);
    case StatList::Pages:
        return listCounter(pages_);
    case StatList::Downloads:
        return listCounter(downloads_);
    case StatList::UserAgents:
        return listCounter(userAgents_);
    case StatList::PageErrors:
        return setUp_ ? static_cast<long long>(pageErrors_.size()) - 1 : listCounter(pageErrors_);
    case StatList::DownloadErrors:
        return setUp_ ? static_cast<long long>(downloadErrors_.size()) - 1 : listCounter(downloadErrors_);
    case StatList::ErrorStatuses:
        return setUp_ ? static_cast<long long>(errorStatuses_.size()) - 1 : listCounter(errorStatuses_);
    }
    return std::nullopt;
}

std::size_t StatisticsTable::rowCount(StatList list) const
{
    const auto c = counter(list);
    return c && *c >= 0 ? static_cast<std::size_t>(*c + 1) : 0;
}

const ErrorAddressList* StatisticsTable::errorAddressList(std::string_view name) const
{
    const long at = errorListNames_.find(name);
    return at < 0 ? nullptr : &errorLists_[static_cast<std::size_t>(at)];
}

BucketTotals StatisticsTable::bucketTotals() const
{
    BucketTotals t;
    for (const BucketRow& b : buckets_.rows())
        addBucketCounts(t, b);
    return t;
}

void StatisticsTable::reset()
{
    *this = StatisticsTable();
}

void StatisticsTable::setUp()
{
    setUp_ = true;
    gridColumns_ = std::max(gridColumns_, kSetUpSize);
    gridRows_ = std::max(gridRows_, kSetUpSize);
}

void StatisticsTable::raiseRows(std::size_t rowsNeeded)
{
    if (rowsNeeded > static_cast<std::size_t>(gridRows_)) gridRows_ = static_cast<int>(rowsNeeded);
}

void StatisticsTable::noteFieldNames(const std::vector<std::string_view>& names)
{
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (fieldNameCount_.find(names[i]) != fieldNameCount_.end()) continue;
        if (fieldNames_.size() <= i) fieldNames_.resize(i + 1);
        std::string& cell = fieldNames_[i];
        if (!cell.empty()) {
            // The new name takes the place of an older one.
            const auto old = fieldNameCount_.find(cell);
            if (old != fieldNameCount_.end() && --old->second == 0) fieldNameCount_.erase(old);
        }
        cell.assign(names[i]);
        ++fieldNameCount_[cell];
        raiseRows(i + 1);
    }
    if (journalOn_) {
        journal(JournalEntry::Kind::Header, StatList::Buckets, journalHeaders_.size());
        journalHeaders_.emplace_back(names.begin(), names.end());
    }
}

BucketRow& StatisticsTable::bucket(std::string_view key, bool& isNew)
{
    BucketRow& row = buckets_.findOrAdd(key, isNew);
    if (isNew) {
        raiseRows(buckets_.size());
        if (journalOn_) journal(JournalEntry::Kind::NewRow, StatList::Buckets, buckets_.size() - 1);
    }
    return row;
}

void StatisticsTable::countIn(StatList list, KeyedRows<CountRow>& rows, std::string_view key, const KeyHint& hint)
{
    bool isNew = false;
    rows.countRow(key, isNew, hint);
    if (isNew) {
        raiseRows(rows.size());
        if (journalOn_) journal(JournalEntry::Kind::NewRow, list, rows.size() - 1);
    }
}

std::size_t StatisticsTable::countPath(StatList list, KeyedRows<PathRow>& rows, std::string_view serverAddress,
                                       std::string_view path, const KeyHint& hint)
{
    scratch_.assign(serverAddress);
    scratch_.append(path);
    bool isNew = false;
    const std::size_t row = rows.countRow(scratch_, isNew, hint);
    if (isNew) {
        PathRow& added = rows.newest();
        added.setPathStart(serverAddress.size());
        raiseRows(rows.size());
        if (journalOn_) journal(JournalEntry::Kind::NewRow, list, row);
    }
    return row;
}

KeyHint StatisticsTable::prefetchPage(std::string_view serverAddress, std::string_view path)
{
    if (!pages_.largeIndex()) return {};
    scratch_.assign(serverAddress);
    scratch_.append(path);
    return pages_.prefetch(scratch_);
}

void StatisticsTable::countReferrer(std::string_view referrer, const KeyHint& hint)
{
    countIn(StatList::Referrers, referrers_, referrer, hint);
}
void StatisticsTable::countUserAgent(std::string_view agent)
{
    countUserAgent(agent, {}, nullptr);
}
std::size_t StatisticsTable::countUserAgent(std::string_view agent, std::string_view stored, const TextArena* storedIn,
                                            const KeyHint& hint)
{
    bool isNew = false;
    const std::size_t row = userAgents_.countRow(agent, isNew, stored, storedIn, hint);
    if (isNew) {
        raiseRows(userAgents_.size());
        if (journalOn_) journal(JournalEntry::Kind::NewRow, StatList::UserAgents, userAgents_.size() - 1);
    }
    return row;
}
std::size_t StatisticsTable::countNewUserAgent(std::string_view agent, std::string_view stored,
                                               const TextArena* storedIn)
{
    const std::size_t row = userAgents_.addNew(agent, stored, storedIn);
    userAgents_.countAt(row);
    raiseRows(userAgents_.size());
    if (journalOn_) journal(JournalEntry::Kind::NewRow, StatList::UserAgents, row);
    return row;
}
void StatisticsTable::countErrorStatus(std::string_view status)
{
    countIn(StatList::ErrorStatuses, errorStatuses_, status);
}
void StatisticsTable::countPageError(std::string_view status)
{
    countIn(StatList::PageErrors, pageErrors_, status);
}
void StatisticsTable::countDownloadError(std::string_view status)
{
    countIn(StatList::DownloadErrors, downloadErrors_, status);
}

void StatisticsTable::countPage(std::string_view serverAddress, std::string_view path, double kilobytes,
                                const KeyHint& hint)
{
    const std::size_t row = countPath(StatList::Pages, pages_, serverAddress, path, hint);
    if (row == pageKilobytes_.size()) {
        // In step with the pages' rows rather than doubling on its own.
        if (pageKilobytes_.size() == pageKilobytes_.capacity()) pageKilobytes_.reserve(pages_.rows().capacity());
        pageKilobytes_.push_back(0);
    }
    pageKilobytes_[row] += kilobytes;
}

void StatisticsTable::countDownload(std::string_view serverAddress, std::string_view path)
{
    countPath(StatList::Downloads, downloads_, serverAddress, path);
}

void StatisticsTable::dropIndexes()
{
    referrers_.dropIndex();
    userAgents_.dropIndex();
    pages_.dropIndex();
    downloads_.dropIndex();
}

void StatisticsTable::release(StatList list)
{
    switch (list) {
    case StatList::Referrers:
        referrers_ = {};
        break;
    case StatList::UserAgents:
        userAgents_ = {};
        break;
    case StatList::Pages:
        pages_ = {};
        pageKilobytes_ = {};
        break;
    case StatList::Downloads:
        downloads_ = {};
        break;
    default:
        break;
    }
}

void StatisticsTable::compact()
{
    referrers_.compact();
    userAgents_.compact();
    pages_.compact();
    pageKilobytes_.shrink_to_fit();
    downloads_.compact();
}

void StatisticsTable::addErrorAddress(char kind, std::string_view status, std::string_view key)
{
    listName_.clear();
    listName_.push_back(kind);
    listName_.push_back(';');
    listName_.append(status);
    bool newList = false;
    errorListNames_.findOrAdd(listName_, newList);
    const std::size_t at = static_cast<std::size_t>(errorListNames_.find(listName_));
    if (newList) {
        // A new column at the right end; its first key goes to row 1.
        errorLists_.push_back(ErrorAddressList{listName_, {}, {}});
        errorListKeys_.emplace_back();
        gridColumns_ = std::max(gridColumns_, kFirstErrorListColumn) + 1;
        raiseRows(2);
    }
    ErrorAddressList& list = errorLists_[at];
    bool newKey = false;
    errorListKeys_[at].findOrAdd(key, newKey);
    if (!newKey) return;
    // Later keys go to the grid's last row, which grows by one when this
    // list already fills it.
    int row = 1;
    if (!newList) {
        if (list.rows.back() == gridRows_ - 1) ++gridRows_;
        row = gridRows_ - 1;
    }
    list.keys.emplace_back(key);
    list.rows.push_back(row);
    if (journalOn_) journal(JournalEntry::Kind::ErrorAddress, StatList::Buckets, at, list.keys.size() - 1);
}

CellTable StatisticsTable::toCellTable() const
{
    CellTable grid(gridColumns_, gridRows_);
    for (std::size_t r = 0; r < fieldNames_.size(); ++r)
        grid.setCell(0, static_cast<int>(r), fieldNames_[r]);
    if (!setUp_) return grid;

    grid.setCell(1, 0, numberText(recordsProcessed_));
    const std::pair<int, StatList> counters[] = {
        {1, StatList::Buckets},       {4, StatList::Referrers},   {5, StatList::Pages},
        {6, StatList::PageErrors},    {7, StatList::Downloads},   {8, StatList::DownloadErrors},
        {9, StatList::ErrorStatuses}, {10, StatList::UserAgents},
    };
    for (const auto& [row, list] : counters) {
        if (const auto c = counter(list)) grid.setCell(1, row, numberText(*c));
    }
    if (imageHits_ > 0) grid.setCell(7, 0, numberText(imageHits_));
    if (otherHits_ > 0) grid.setCell(8, 0, numberText(otherHits_));

    int r = 0;
    for (const BucketRow& b : buckets_.rows()) {
        grid.setCell(2, r, b.key);
        grid.setCell(3, r, numberText(b.hits));
        grid.setCell(4, r, kilobyteText(b.kilobytes));
        grid.setCell(5, r, numberText(b.sessions));
        grid.setCell(6, r, b.label);
        grid.setCell(26, r, numberText(b.downloads));
        grid.setCell(27, r, numberText(b.pages));
        grid.setCell(28, r, numberText(b.images));
        grid.setCell(29, r, numberText(b.others));
        ++r;
    }
    auto putCounts = [&grid](const CountRows& rows, int keyColumn) {
        int row = 0;
        for (const CountRow& c : rows) {
            grid.setCell(keyColumn, row, std::string(c.key()));
            grid.setCell(keyColumn + 1, row, numberText(c.count));
            ++row;
        }
    };
    putCounts(errorStatuses_.rows(), 9);
    putCounts(pageErrors_.rows(), 11);
    putCounts(downloadErrors_.rows(), 13);
    putCounts(referrers_.rows(), 21);
    putCounts(userAgents_.rows(), 23);
    auto putPaths = [&grid](const PathRows& rows, int pathColumn) {
        int row = 0;
        for (const PathRow& p : rows) {
            grid.setCell(pathColumn, row, std::string(p.path()));
            grid.setCell(pathColumn + 1, row, numberText(p.count));
            grid.setCell(pathColumn + 2, row, std::string(p.key()));
            ++row;
        }
    };
    putPaths(pages_.rows(), 15);
    putPaths(downloads_.rows(), 18);

    int column = kFirstErrorListColumn;
    for (const ErrorAddressList& list : errorLists_) {
        grid.setCell(column, 0, list.name);
        for (std::size_t i = 0; i < list.keys.size(); ++i)
            grid.setCell(column, list.rows[i], list.keys[i]);
        ++column;
    }
    return grid;
}

} // namespace larkspan::analysis
