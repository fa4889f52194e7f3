#pragma once

#include "tracker/TrackerFiles.h"

#include <QAbstractItemModel>
#include <functional>
#include <string>
#include <vector>

namespace larkspan {

// One host of a day with its visitors (indexes into the day's visitors).
struct HostNode {
    std::string host;
    std::vector<std::size_t> visitors;
};

// Groups a day's visitors under their hosts, hosts in order of their
// first visitor. Hosts compare without regard to case (the tracker's own
// rule for its keys). afterVisitor runs once per visitor and may throw to
// stop.
std::vector<HostNode> groupByHost(const tracker::TrackerDay& day, const std::function<void()>& afterVisitor = {});

// The tree of hosts (top level) and their clients. Texts are shown as
// plain text.
class VisitorTreeModel : public QAbstractItemModel {
    Q_OBJECT
  public:
    using QAbstractItemModel::QAbstractItemModel;

    // Shows these hosts of the day (which must outlive the model's use of
    // it, until the next reset).
    void reset(const tracker::TrackerDay* day, std::vector<HostNode> hosts);
    void clear() { reset(nullptr, {}); }

    bool isHost(const QModelIndex& index) const { return index.isValid() && index.internalId() == 0; }
    // The node's text: the host, or the client address.
    std::string label(const QModelIndex& index) const;
    std::string hostOf(const QModelIndex& index) const;
    // The client address of a client node; empty for a host node.
    std::string clientOf(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& = {}) const override { return 1; }
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    const tracker::VisitorSummary* visitor(const QModelIndex& index) const;

    const tracker::TrackerDay* day_ = nullptr;
    std::vector<HostNode> hosts_;
};

} // namespace larkspan
