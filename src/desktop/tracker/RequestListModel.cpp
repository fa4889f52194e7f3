#include "tracker/RequestListModel.h"

#include "common/Text.h"
#include "common/Utf8.h"

#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <array>
#include <unordered_map>

namespace larkspan {

namespace {

using tracker::RequestDetail;
using Field = std::string RequestDetail::*;

constexpr std::array<Field, 7> kHostFields{&RequestDetail::time,     &RequestDetail::client, &RequestDetail::url,
                                           &RequestDetail::referrer, &RequestDetail::server, &RequestDetail::status,
                                           &RequestDetail::bytes};
constexpr std::array<const char*, 7> kHostHeaders{
    "Time", "Client IP Address", "File or Page visited", "Referring URL", "Server", "Status", "Bytes"};

// A visitor's list leaves out the client column.
int hostColumnOf(RequestListModel::Columns columns, int column)
{
    return columns == RequestListModel::Columns::Host || column == 0 ? column : column + 1;
}

} // namespace

std::optional<QUrl> linkTarget(const std::string& text)
{
    if (!text::istartsWith(text, "http://") && !text::istartsWith(text, "https://")) return std::nullopt;
    const QUrl url(QString::fromStdString(text::toValidUtf8(text)), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != "http" && scheme != "https") || url.host().isEmpty() || url.host() == "-")
        return std::nullopt;
    return url;
}

void RequestListModel::show(Columns columns, std::vector<const RequestDetail*> rows)
{
    beginResetModel();
    columns_ = columns;
    rows_ = std::move(rows);
    sortColumn_ = std::min(sortColumn_, columnCount() - 1);
    sortRows();
    endResetModel();
}

const std::string& RequestListModel::field(const RequestDetail& request, int column) const
{
    return request.*kHostFields[static_cast<std::size_t>(hostColumnOf(columns_, column))];
}

std::string RequestListModel::cell(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return {};
    return field(*rows_[static_cast<std::size_t>(row)], column);
}

QStringList RequestListModel::headers() const
{
    QStringList names;
    for (int column = 0; column < columnCount(); ++column)
        names << kHostHeaders[static_cast<std::size_t>(hostColumnOf(columns_, column))];
    return names;
}

int RequestListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RequestListModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid()) return 0;
    return columns_ == Columns::Host ? static_cast<int>(kHostFields.size()) : static_cast<int>(kHostFields.size()) - 1;
}

QVariant RequestListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) return {};
    const std::string text = cell(index.row(), index.column());
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(text::toValidUtf8(text));
    case kLinkRole:
        if (auto url = linkTarget(text)) return *url;
        return {};
    case Qt::ForegroundRole:
        if (linkTarget(text)) return QGuiApplication::palette().color(QPalette::Link);
        return {};
    case Qt::FontRole:
        if (linkTarget(text)) {
            QFont font;
            font.setUnderline(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

QVariant RequestListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount()) return {};
    return kHostHeaders[static_cast<std::size_t>(hostColumnOf(columns_, section))];
}

void RequestListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= columnCount()) return;
    // A layout change rather than a reset keeps the view's column widths;
    // selected rows follow their requests.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<const RequestDetail*> held;
    for (const QModelIndex& index : before)
        held.push_back(rows_[static_cast<std::size_t>(index.row())]);
    sortColumn_ = column;
    sortOrder_ = order;
    sortRows();
    std::unordered_map<const RequestDetail*, int> rowOf;
    for (int row = 0; row < rowCount(); ++row)
        rowOf.emplace(rows_[static_cast<std::size_t>(row)], row);
    QModelIndexList after;
    for (qsizetype i = 0; i < before.size(); ++i)
        after << index(rowOf.at(held[static_cast<std::size_t>(i)]), before[i].column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void RequestListModel::sortRows()
{
    const int column = sortColumn_;
    const bool ascending = sortOrder_ == Qt::AscendingOrder;
    std::stable_sort(rows_.begin(), rows_.end(), [&](const RequestDetail* a, const RequestDetail* b) {
        const int order = text::icompare(field(*a, column), field(*b, column));
        return ascending ? order < 0 : order > 0;
    });
}

} // namespace larkspan
