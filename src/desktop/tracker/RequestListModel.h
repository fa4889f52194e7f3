#pragma once

#include "tracker/TrackerFiles.h"

#include <QAbstractTableModel>
#include <QUrl>
#include <optional>
#include <string>
#include <vector>

namespace larkspan {

// The address a request list cell links to: only an absolute http or
// https address with a host; anything else is shown as plain text.
std::optional<QUrl> linkTarget(const std::string& text);

// The requests of a host (with a client column) or of one visitor, sorted
// by the text of one column. Cells are plain text; a cell holding a web
// address is drawn as a link.
class RequestListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum class Columns { Host, Client };
    static constexpr int kLinkRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    // Replaces the rows (the requests must outlive their display) and
    // sorts them by the current column and order.
    void show(Columns columns, std::vector<const tracker::RequestDetail*> rows);
    void clear(Columns columns) { show(columns, {}); }

    Columns columns() const { return columns_; }
    std::string cell(int row, int column) const;
    QStringList headers() const;
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Stable sort by the column's text, compared without regard to case.
    void sort(int column, Qt::SortOrder order) override;

  private:
    const std::string& field(const tracker::RequestDetail& request, int column) const;
    void sortRows();

    Columns columns_ = Columns::Host;
    std::vector<const tracker::RequestDetail*> rows_;
    int sortColumn_ = 0;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

} // namespace larkspan
