// Merging the tables of a pass split over threads. Each worker's table
// journals when it met each new key, "#Fields:" line and error address;
// replaying that journal against the table of the days before reproduces
// the single reading's first-appearance order, first spellings and grid
// layout (the row an error address lands in depends on how long every list
// was at that moment), after which the part's counts are simply added.
// A side tally's lists (SideTally) were filled from the same records as
// the table's others and need no replay: they are moved in whole.

#include "analysis/StatisticsTable.h"

#include <algorithm>
#include <stdexcept>

namespace larkspan::analysis {

void StatisticsTable::journal(JournalEntry::Kind kind, StatList list, std::size_t index, std::size_t item)
{
    journal_.push_back(JournalEntry{kind, list, static_cast<std::uint32_t>(index), static_cast<std::uint32_t>(item)});
}

const KeyedRows<CountRow>& StatisticsTable::countList(StatList list) const
{
    switch (list) {
    case StatList::Referrers:
        return referrers_;
    case StatList::UserAgents:
        return userAgents_;
    case StatList::ErrorStatuses:
        return errorStatuses_;
    case StatList::PageErrors:
        return pageErrors_;
    default:
        return downloadErrors_;
    }
}

// Lays one row of part into this table where the single reading would have
// made it (or finds it there) and adds the row's counts.
void StatisticsTable::replayRow(const StatisticsTable& part, StatList list, std::size_t row)
{
    bool isNew = false;
    switch (list) {
    case StatList::Buckets: {
        const BucketRow& from = part.buckets_.rows()[row];
        BucketRow& to = bucket(from.key, isNew);
        if (isNew) to.label = from.label;
        addBucketCounts(to, from);
        return;
    }
    case StatList::Pages:
    case StatList::Downloads: {
        const bool pages = list == StatList::Pages;
        KeyedRows<PathRow>& rows = pages ? pages_ : downloads_;
        const PathRow& from = (pages ? part.pages_ : part.downloads_).rows()[row];
        const std::size_t at = rows.addCount(from.key(), from.count, isNew);
        if (isNew) {
            // The path is the end of the key: it views this table's text.
            PathRow& added = rows.newest();
            added.setPathStart(added.key().size() - from.path().size());
            raiseRows(rows.size());
        }
        if (pages) {
            if (at == pageKilobytes_.size()) pageKilobytes_.push_back(0);
            pageKilobytes_[at] += part.pageKilobytes_[row];
        }
        return;
    }
    default: {
        KeyedRows<CountRow>& rows = countList(list);
        const CountRow& from = part.countList(list).rows()[row];
        rows.addCount(from.key(), from.count, isNew);
        if (isNew) raiseRows(rows.size());
        return;
    }
    }
}

void StatisticsTable::mergeFrom(const StatisticsTable& part)
{
    // The first block of the pass sets the grid up before anything else.
    if (part.setUp_) setUp();
    std::vector<std::string_view> names;
    for (const JournalEntry& entry : part.journal_) {
        switch (entry.kind) {
        case JournalEntry::Kind::Header: {
            const std::vector<std::string>& header = part.journalHeaders_[entry.index];
            names.assign(header.begin(), header.end());
            noteFieldNames(names);
            break;
        }
        case JournalEntry::Kind::NewRow:
            replayRow(part, entry.list, entry.index);
            break;
        case JournalEntry::Kind::ErrorAddress: {
            const ErrorAddressList& list = part.errorLists_[entry.index];
            addErrorAddress(list.name[0], std::string_view(list.name).substr(2), list.keys[entry.item]);
            break;
        }
        }
    }
    recordsProcessed_ += part.recordsProcessed_;
    imageHits_ += part.imageHits_;
    otherHits_ += part.otherHits_;
    traffic_.mergeFrom(part.traffic_);
}

void StatisticsTable::takeListsOf(StatisticsTable& side)
{
    if (!referrers_.empty() || !pages_.empty() || !downloads_.empty() || !errorLists_.empty())
        throw std::logic_error("lists counted on both sides");
    referrers_ = std::move(side.referrers_);
    pages_ = std::move(side.pages_);
    pageKilobytes_ = std::move(side.pageKilobytes_);
    downloads_ = std::move(side.downloads_);
    errorLists_ = std::move(side.errorLists_);
    errorListKeys_ = std::move(side.errorListKeys_);
    errorListNames_ = std::move(side.errorListNames_);
    // Each grid size is the largest either table reached: rows only grow,
    // and the side's error addresses saw this table's rows as they came.
    gridRows_ = std::max(gridRows_, side.gridRows_);
    gridColumns_ = std::max(gridColumns_, side.gridColumns_);
}

} // namespace larkspan::analysis
