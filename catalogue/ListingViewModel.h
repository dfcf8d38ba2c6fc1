#pragma once

// What the grid shows of the report list: the rows of the listing model in the order the user asked for by
// clicking a column title (the table keeps its own order of insertion), narrowed to the rows whose shown
// columns contain the quick-search text.

#include <QSortFilterProxyModel>

namespace talmere {

class ListingModel;

// Orders two column values as a user reads them: dates (MM/DD/YYYY) as dates, times (hh:mm, hh:mm:ss) as
// times, counts and amounts ("1,234", "$1,234.50", "($12.00)") as numbers, everything else as text without
// regard to case. A value of one kind against a value of another sorts by kind (empty first, then numbers,
// dates, times, text), so that a mixed column still has one order. Negative, zero or positive.
int CompareListingValues(const QString& a, const QString& b);

class ListingViewModel : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit ListingViewModel(ListingModel& source, QObject* parent = nullptr);

    // Rows are shown when one of their shown columns contains the text, without regard to case; an empty
    // text shows every row.
    void setSearchText(const QString& text);
    QString searchText() const { return m_search; }

    // Back to the table's own order.
    void clearSort();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    ListingModel& m_source;
    QString m_search;
};

} // namespace talmere
