#pragma once

// "Advanced Filter Criteria": the dialog in which the user enters the date range of the report list. Two masked
// date boxes (MM/DD/CCYY; empty stands for no bound), OK, Cancel and "&Clear", which empties both boxes.
//
// A box that holds an invalid date (half typed, or a day the calendar does not have) cannot be left: Tab, a
// click into the other box or on OK, and OK by the Enter key sound a beep and leave the focus in the box.
// Cancel and "&Clear" may still be used, since both throw the typed text away. Esc does nothing; the title
// bar's close button counts as Cancel.

#include <QDate>
#include <QDialog>

#include <functional>

namespace talmere {

class DateBox;

class TfrmAdvSelect : public QDialog {
    Q_OBJECT

public:
    // today: the date put into an empty thru box when the user enters it.
    explicit TfrmAdvSelect(
        QWidget* parent = nullptr, std::function<QDate()> today = [] { return QDate::currentDate(); });
    ~TfrmAdvSelect() override;

    // Day numbers (days since 30 December 1899); 0 is an empty box.
    void setDates(long fromDay, long thruDay);
    long fromDate() const;
    long thruDate() const;

    // The sound of a refused move out of an invalid date; QApplication::beep unless replaced.
    void setBeep(std::function<void()> beep);

public slots:
    // Closes with OK only when both boxes are empty or hold valid dates.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void clearDates();
    void thruEntered();
    // The box holding an invalid date, other than the given widget; none when both are fine.
    DateBox* invalidBoxOtherThan(const QObject* widget) const;
    // Beeps and puts the focus back into the box.
    void keepFocusIn(DateBox* box);

    std::function<QDate()> m_today;
    std::function<void()> m_beep;
    DateBox* m_from = nullptr;
    DateBox* m_thru = nullptr;
};

} // namespace talmere
