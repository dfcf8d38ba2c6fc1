#include "gui/DateBox.h"

#include "common/DayDate.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionFrame>

#include <array>
#include <optional>

namespace talmere {

namespace {

// Digits optional, so that a box can be emptied; underscores show the places still to fill.
const QString kDateMask = QStringLiteral("99/99/9999;_");

// Where the digits of MM/DD/CCYY stand in the box's text.
constexpr std::array<int, 8> kDigitPositions = {0, 1, 3, 4, 6, 7, 8, 9};

struct Entry {
    int digits = 0;                    // how many of the eight places hold a digit
    std::optional<DateTimeParts> date; // the date, when all eight do and it exists
};

Entry ReadEntry(const QString& shown)
{
    Entry entry;
    std::array<int, 8> values{};
    for (std::size_t i = 0; i < kDigitPositions.size(); ++i) {
        const int position = kDigitPositions[i];
        if (position < shown.size() && shown[position].isDigit()) {
            values[i] = shown[position].digitValue();
            ++entry.digits;
        }
    }
    if (entry.digits < static_cast<int>(kDigitPositions.size())) {
        return entry;
    }
    const int month = values[0] * 10 + values[1];
    const int day = values[2] * 10 + values[3];
    const int year = values[4] * 1000 + values[5] * 100 + values[6] * 10 + values[7];
    if (IsValidDate(year, month, day)) {
        DateTimeParts parts;
        parts.year = year;
        parts.month = month;
        parts.day = day;
        entry.date = parts;
    }
    return entry;
}

bool IsUserEntry(Qt::FocusReason reason)
{
    return reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
           reason == Qt::ShortcutFocusReason || reason == Qt::OtherFocusReason;
}

} // namespace

DateBox::DateBox(QWidget* parent) : QLineEdit(parent)
{
    setInputMask(kDateMask);
}

bool DateBox::isEmpty() const
{
    return ReadEntry(displayText()).digits == 0;
}

bool DateBox::holdsValidEntry() const
{
    const Entry entry = ReadEntry(displayText());
    return entry.digits == 0 || entry.date.has_value();
}

long DateBox::dayNumber() const
{
    const Entry entry = ReadEntry(displayText());
    return entry.date ? DayNumber(entry.date->year, entry.date->month, entry.date->day) : 0;
}

void DateBox::setDayNumber(long dayNumber)
{
    const DateTimeParts date = DateFromDayNumber(dayNumber);
    if (dayNumber == 0 || !IsValidDate(date.year, date.month, date.day)) {
        clear();
        return;
    }
    setText(QStringLiteral("%1/%2/%3")
                .arg(date.month, 2, 10, QLatin1Char('0'))
                .arg(date.day, 2, 10, QLatin1Char('0'))
                .arg(date.year, 4, 10, QLatin1Char('0')));
}

QSize DateBox::sizeHint() const
{
    ensurePolished();
    // The text as the box shows it, the line edit's inner margin of 2 on each side and the cursor, then the
    // frame as the style draws it.
    const QMargins margins = textMargins();
    const int textWidth =
        fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000")) + 2 * 2 + 1 + margins.left() + margins.right();
    QStyleOptionFrame option;
    initStyleOption(&option);
    const int width = style()->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(textWidth, 0), this).width();
    return {width, QLineEdit::sizeHint().height()};
}

QSize DateBox::minimumSizeHint() const
{
    return sizeHint();
}

void DateBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (IsUserEntry(event->reason())) {
        emit entered();
        m_keepSelectionOnPress = event->reason() == Qt::MouseFocusReason && hasSelectedText();
    }
}

void DateBox::focusOutEvent(QFocusEvent* event)
{
    m_keepSelectionOnPress = false;
    QLineEdit::focusOutEvent(event);
}

void DateBox::mousePressEvent(QMouseEvent* event)
{
    // The press that gave the focus arrives after the box was entered; let it not undo a selection made then.
    if (m_keepSelectionOnPress) {
        m_keepSelectionOnPress = false;
        if (hasSelectedText() && event->button() == Qt::LeftButton) {
            event->accept();
            return;
        }
    }
    QLineEdit::mousePressEvent(event);
}

} // namespace talmere
