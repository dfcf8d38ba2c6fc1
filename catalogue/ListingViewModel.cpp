#include "catalogue/ListingViewModel.h"

#include "catalogue/ListingModel.h"

#include <QDate>

namespace talmere {

namespace {

enum class ValueKind { Empty, Number, Date, Time, Text };

struct SortKey {
    ValueKind kind = ValueKind::Empty;
    double number = 0;
};

bool AllDigits(QStringView text)
{
    if (text.isEmpty()) {
        return false;
    }
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
    }
    return true;
}

// "12", "1,234", "-5", "12.50", "$1,234.50", "($12.00)": the value as a number.
bool ReadNumber(QStringView text, double& value)
{
    bool negative = false;
    if (text.size() >= 2 && text.front() == QLatin1Char('(') && text.back() == QLatin1Char(')')) {
        negative = true;
        text = text.mid(1, text.size() - 2);
    }
    if (text.startsWith(QLatin1Char('-'))) {
        negative = !negative;
        text = text.mid(1);
    }
    if (text.startsWith(QLatin1Char('$'))) {
        text = text.mid(1);
    }
    QString digits;
    bool point = false;
    for (const QChar c : text) {
        if (c == QLatin1Char(',') && !point) {
            continue;
        }
        if (c == QLatin1Char('.') && !point) {
            point = true;
        } else if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
        digits += c;
    }
    if (digits.isEmpty() || digits == QLatin1String(".")) {
        return false;
    }
    bool ok = false;
    value = digits.toDouble(&ok);
    if (negative) {
        value = -value;
    }
    return ok;
}

SortKey KeyOf(const QString& value)
{
    const QStringView text = QStringView(value).trimmed();
    SortKey key;
    if (text.isEmpty()) {
        return key;
    }
    // MM/DD/YYYY
    if (text.size() == 10 && text[2] == QLatin1Char('/') && text[5] == QLatin1Char('/') && AllDigits(text.mid(0, 2)) &&
        AllDigits(text.mid(3, 2)) && AllDigits(text.mid(6, 4))) {
        const QDate date(text.mid(6, 4).toInt(), text.mid(0, 2).toInt(), text.mid(3, 2).toInt());
        if (date.isValid()) {
            key.kind = ValueKind::Date;
            key.number = static_cast<double>(date.toJulianDay());
            return key;
        }
    }
    // hh:mm or hh:mm:ss
    if ((text.size() == 5 || text.size() == 8) && text[2] == QLatin1Char(':') && AllDigits(text.mid(0, 2)) &&
        AllDigits(text.mid(3, 2)) && (text.size() == 5 || (text[5] == QLatin1Char(':') && AllDigits(text.mid(6, 2))))) {
        key.kind = ValueKind::Time;
        key.number = text.mid(0, 2).toInt() * 3600 + text.mid(3, 2).toInt() * 60 +
                     (text.size() == 8 ? text.mid(6, 2).toInt() : 0);
        return key;
    }
    if (ReadNumber(text, key.number)) {
        key.kind = ValueKind::Number;
        return key;
    }
    key.kind = ValueKind::Text;
    return key;
}

} // namespace

int CompareListingValues(const QString& a, const QString& b)
{
    const SortKey left = KeyOf(a);
    const SortKey right = KeyOf(b);
    if (left.kind != right.kind) {
        return static_cast<int>(left.kind) < static_cast<int>(right.kind) ? -1 : 1;
    }
    switch (left.kind) {
    case ValueKind::Empty:
        return 0;
    case ValueKind::Text:
        return QString::compare(a.trimmed(), b.trimmed(), Qt::CaseInsensitive);
    default:
        return left.number < right.number ? -1 : (left.number > right.number ? 1 : 0);
    }
}

ListingViewModel::ListingViewModel(ListingModel& source, QObject* parent)
    : QSortFilterProxyModel(parent), m_source(source)
{
    setSourceModel(&source);
    // A refilled list is shown in the order the user chose, until the type changes.
    setDynamicSortFilter(true);
}

void ListingViewModel::setSearchText(const QString& text)
{
    if (text == m_search) {
        return;
    }
    m_search = text;
    invalidateFilter();
}

void ListingViewModel::clearSort()
{
    sort(-1);
}

bool ListingViewModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_search.isEmpty()) {
        return true;
    }
    for (int column = 0; column < kListingValueFieldCount; ++column) {
        if (m_source.isColumnShown(column) && m_source.data(m_source.index(sourceRow, column, sourceParent))
                                                  .toString()
                                                  .contains(m_search, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

bool ListingViewModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const int order = CompareListingValues(m_source.data(left).toString(), m_source.data(right).toString());
    // Equal values keep the table's order.
    return order != 0 ? order < 0 : left.row() < right.row();
}

} // namespace talmere
