#pragma once

// A masked date entry in the table engine's date format MM/DD/CCYY. The box works in day numbers (days since
// 30 December 1899); a box without a digit is empty and stands for 0.

#include <QLineEdit>

namespace talmere {

class DateBox : public QLineEdit {
    Q_OBJECT

public:
    explicit DateBox(QWidget* parent = nullptr);

    // No digit typed.
    bool isEmpty() const;
    // Empty, or a complete date that exists on the calendar: what the box may be left with.
    bool holdsValidEntry() const;
    // The day number of the date in the box; 0 when the box is empty or does not hold a valid date.
    long dayNumber() const;
    // Shows the date of a day number; 0 (or a day beyond year 9999) empties the box.
    void setDayNumber(long dayNumber);

    // Wide enough for a whole date in the box's font, and never narrower.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The user moved the focus here (Tab, a click, a shortcut or the program on the user's behalf); the window
    // coming back to the front or a closing context menu does not count.
    void entered();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // A selection made when a click entered the box survives that click, so that typing replaces it.
    bool m_keepSelectionOnPress = false;
};

} // namespace talmere
