#pragma once

// The report list as the grid sees it: a table model over the listing table, with the columns of the selected
// report type. Its fourteen columns are the table's fields in order: the twelve column values, the filler
// column (A_DUMMY) that takes the grid's remaining width, and the file name (A_FILE), which is never shown.

#include "catalogue/ListingTable.h"
#include "core/ReportTypes.h"

#include <QAbstractTableModel>

#include <array>
#include <vector>

namespace talmere {

inline constexpr int kListingDummyColumn = kListingValueFieldCount;    // 12
inline constexpr int kListingFileColumn = kListingValueFieldCount + 1; // 13
inline constexpr int kListingColumnCount = kListingValueFieldCount + 2;
// The filler column's display width in characters.
inline constexpr int kListingDummyDisplayWidth = 200;

class ListingModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The table stays the caller's; it must outlive the model.
    explicit ListingModel(ListingTable& table, QObject* parent = nullptr);

    bool isTableOpen() const { return m_table.isOpen(); }

    // The columns of a report type: a value column is shown when its column has a caption, with the caption as
    // title, its width in characters and its alignments; the filler column is shown with a blank title; the file
    // name is hidden.
    void setColumns(const std::array<TReportHeaderColumnInfo, kListColumnCount>& columns);
    bool isColumnShown(int column) const;
    // Display width in characters (0 for a hidden column).
    int columnWidthChars(int column) const;

    // Deletes every row, then the rows given, in their order; the table's file holds them afterwards. False when
    // the table could not be written (tableError() says why): the model then shows what the table holds.
    bool clearRows();
    bool replaceRows(const std::vector<ListingRow>& rows);
    bool removeReportRow(int row);
    QString tableError() const { return m_table.errorText(); }
    QString fileName(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    ListingTable& m_table;
    std::array<TReportHeaderColumnInfo, kListColumnCount> m_columns{};
};

// The alignment of a column's title or values.
Qt::Alignment ListingAlignment(quint8 alignment);

} // namespace talmere
