#include "catalogue/ListingModel.h"

namespace talmere {

Qt::Alignment ListingAlignment(quint8 alignment)
{
    switch (alignment) {
    case kAlignRight:
        return Qt::AlignRight;
    case kAlignCenter:
        return Qt::AlignHCenter;
    default:
        return Qt::AlignLeft;
    }
}

ListingModel::ListingModel(ListingTable& table, QObject* parent) : QAbstractTableModel(parent), m_table(table) {}

void ListingModel::setColumns(const std::array<TReportHeaderColumnInfo, kListColumnCount>& columns)
{
    m_columns = columns;
    emit headerDataChanged(Qt::Horizontal, 0, kListingColumnCount - 1);
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, kListingColumnCount - 1), {Qt::TextAlignmentRole});
    }
}

bool ListingModel::isColumnShown(int column) const
{
    if (column >= 0 && column < kListingValueFieldCount) {
        return !m_columns[static_cast<std::size_t>(column)].Caption.isEmpty();
    }
    return column == kListingDummyColumn;
}

int ListingModel::columnWidthChars(int column) const
{
    if (!isColumnShown(column)) {
        return 0;
    }
    return column == kListingDummyColumn ? kListingDummyDisplayWidth
                                         : m_columns[static_cast<std::size_t>(column)].Width;
}

bool ListingModel::clearRows()
{
    beginResetModel();
    const bool cleared = m_table.clear();
    endResetModel();
    return cleared;
}

bool ListingModel::replaceRows(const std::vector<ListingRow>& rows)
{
    beginResetModel();
    const bool replaced = m_table.clear() && m_table.append(rows);
    endResetModel();
    return replaced;
}

bool ListingModel::removeReportRow(int row)
{
    if (row < 0 || row >= rowCount()) {
        return false;
    }
    beginRemoveRows({}, row, row);
    const bool removed = m_table.removeRow(row);
    endRemoveRows();
    if (!removed) {
        // The table kept the row: the views get it back where it was.
        beginInsertRows({}, row, row);
        endInsertRows();
    }
    return removed;
}

QString ListingModel::fileName(int row) const
{
    return row >= 0 && row < rowCount() ? m_table.row(row).file : QString();
}

int ListingModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_table.isOpen() ? 0 : m_table.rowCount();
}

int ListingModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kListingColumnCount;
}

QVariant ListingModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kListingColumnCount) {
        return {};
    }
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: {
        const ListingRow& row = m_table.row(index.row());
        if (column < kListingValueFieldCount) {
            return row.values[static_cast<std::size_t>(column)];
        }
        return column == kListingFileColumn ? row.file : QString();
    }
    case Qt::TextAlignmentRole:
        if (column < kListingValueFieldCount) {
            return QVariant::fromValue(ListingAlignment(m_columns[static_cast<std::size_t>(column)].DataAlignment) |
                                       Qt::AlignVCenter);
        }
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
        return {};
    }
}

QVariant ListingModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kListingColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (role) {
    case Qt::DisplayRole:
        if (section < kListingValueFieldCount) {
            return m_columns[static_cast<std::size_t>(section)].Caption;
        }
        return section == kListingDummyColumn ? QStringLiteral(" ") : ListingFieldName(section);
    case Qt::TextAlignmentRole: {
        // A titled column aligns its title as the type says; every other title keeps the grid's left.
        const quint8 alignment =
            section < kListingValueFieldCount && !m_columns[static_cast<std::size_t>(section)].Caption.isEmpty()
                ? m_columns[static_cast<std::size_t>(section)].TitleAlignment
                : kAlignLeft;
        return QVariant::fromValue(ListingAlignment(alignment) | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

Qt::ItemFlags ListingModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace talmere
