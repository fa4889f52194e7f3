#include "tracker/VisitorTreeModel.h"

#include "common/Text.h"
#include "common/Utf8.h"

#include <unordered_map>

namespace larkspan {

std::vector<HostNode> groupByHost(const tracker::TrackerDay& day, const std::function<void()>& afterVisitor)
{
    std::vector<HostNode> hosts;
    std::unordered_map<std::string, std::size_t, text::CaseInsensitiveHash, text::CaseInsensitiveEqual> byKey;
    for (std::size_t i = 0; i < day.visitors.size(); ++i) {
        const tracker::VisitorSummary& visitor = day.visitors[i];
        const auto [found, added] = byKey.try_emplace(visitor.date + "," + visitor.host, hosts.size());
        if (added) hosts.push_back({visitor.host, {}});
        hosts[found->second].visitors.push_back(i);
        if (afterVisitor) afterVisitor();
    }
    return hosts;
}

void VisitorTreeModel::reset(const tracker::TrackerDay* day, std::vector<HostNode> hosts)
{
    beginResetModel();
    day_ = day;
    hosts_ = day ? std::move(hosts) : std::vector<HostNode>{};
    endResetModel();
}

// Host nodes carry the id 0; a client node carries its host's row + 1.
QModelIndex VisitorTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0) return {};
    if (!parent.isValid())
        return row < static_cast<int>(hosts_.size()) ? createIndex(row, 0, quintptr(0)) : QModelIndex();
    if (!isHost(parent) || row >= rowCount(parent)) return {};
    return createIndex(row, 0, quintptr(parent.row() + 1));
}

QModelIndex VisitorTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == 0) return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, quintptr(0));
}

int VisitorTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid()) return static_cast<int>(hosts_.size());
    if (!isHost(parent)) return 0;
    return static_cast<int>(hosts_[static_cast<std::size_t>(parent.row())].visitors.size());
}

const tracker::VisitorSummary* VisitorTreeModel::visitor(const QModelIndex& index) const
{
    if (!index.isValid() || isHost(index) || !day_) return nullptr;
    const HostNode& host = hosts_[index.internalId() - 1];
    return &day_->visitors[host.visitors[static_cast<std::size_t>(index.row())]];
}

std::string VisitorTreeModel::label(const QModelIndex& index) const
{
    if (isHost(index)) return hosts_[static_cast<std::size_t>(index.row())].host;
    const tracker::VisitorSummary* v = visitor(index);
    return v ? v->client : std::string();
}

std::string VisitorTreeModel::hostOf(const QModelIndex& index) const
{
    if (isHost(index)) return label(index);
    const tracker::VisitorSummary* v = visitor(index);
    return v ? v->host : std::string();
}

std::string VisitorTreeModel::clientOf(const QModelIndex& index) const
{
    const tracker::VisitorSummary* v = visitor(index);
    return v ? v->client : std::string();
}

QVariant VisitorTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return QString::fromStdString(text::toValidUtf8(label(index)));
    return {};
}

} // namespace larkspan
