// The "Advanced Filter Criteria" dialog, driven by keys and clicks as the user would.

#include "gui/TfrmAdvSelect.h"

#include "common/DayDate.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

using namespace talmere;

static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// Nothing is cut off by the fixed size, and a whole date fits into each box.
void ExpectEveryControlWhole(const TfrmAdvSelect& dialog)
{
    const QRect inside = dialog.rect();
    for (const QWidget* control : dialog.findChildren<QWidget*>()) {
        const QRect place(control->mapTo(&dialog, QPoint(0, 0)), control->size());
        EXPECT_TRUE(inside.contains(place))
            << control->metaObject()->className() << " " << control->objectName().toStdString();
    }
    for (const QLineEdit* box : dialog.findChildren<QLineEdit*>()) {
        EXPECT_GT(box->width(), box->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000")))
            << box->objectName().toStdString();
    }
}

class AdvSelectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog = std::make_unique<TfrmAdvSelect>(nullptr, [] { return QDate(2024, 3, 15); });
        dialog->setBeep([this] { ++beeps; });
        from = dialog->findChild<QLineEdit*>(QStringLiteral("CSelCreateFromDate"));
        thru = dialog->findChild<QLineEdit*>(QStringLiteral("CSelCreateThruDate"));
        ok = dialog->findChild<QPushButton*>(QStringLiteral("BtnOK"));
        cancel = dialog->findChild<QPushButton*>(QStringLiteral("BtnCancel"));
        clear = dialog->findChild<QPushButton*>(QStringLiteral("BtnClear"));
        ASSERT_TRUE(from && thru && ok && cancel && clear);
        finished = std::make_unique<QSignalSpy>(dialog.get(), &QDialog::finished);
    }

    // Shows the dialog as the active window.
    void show()
    {
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }

    static void type(QLineEdit* box, const char* digits)
    {
        box->clear();
        QTest::keyClicks(box, QString::fromLatin1(digits));
    }

    bool stillOpen() const { return dialog->isVisible() && finished->isEmpty(); }

    std::unique_ptr<TfrmAdvSelect> dialog;
    std::unique_ptr<QSignalSpy> finished;
    QLineEdit* from = nullptr;
    QLineEdit* thru = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* clear = nullptr;
    int beeps = 0;
};

TEST_F(AdvSelectTest, LooksAsTheUserKnowsIt)
{
    EXPECT_EQ(dialog->windowTitle(), "Advanced Filter Criteria");
    EXPECT_EQ(dialog->size(), QSize(273, 107));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    const auto* group = dialog->findChild<QGroupBox*>();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), " Enter Filter Criteria ");
    QStringList labels;
    for (const QLabel* label : group->findChildren<QLabel*>()) {
        labels << label->text();
    }
    EXPECT_EQ(labels, QStringList({"Create Date:", "to"}));
    EXPECT_EQ(from->parentWidget(), group);
    EXPECT_EQ(thru->parentWidget(), group);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(cancel->text(), "Cancel");
    EXPECT_EQ(clear->text(), "&Clear");

    show();
    EXPECT_EQ(QApplication::focusWidget(), from);
    ExpectEveryControlWhole(*dialog);
}

TEST(AdvSelectLayout, AWiderFontWidensTheDialogRatherThanCutTheDates)
{
    // The application's font until the dialog is gone: the dialog takes all but the size from it.
    struct FontChange {
        const QFont original = QApplication::font();
        explicit FontChange(const QFont& font) { QApplication::setFont(font); }
        ~FontChange() { QApplication::setFont(original); }
    };
    QFont wide = QApplication::font();
    wide.setStretch(QFont::UltraExpanded);
    const FontChange fontChange(wide);
    TfrmAdvSelect dialog;

    EXPECT_GT(dialog.width(), 273);
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ExpectEveryControlWhole(dialog);
}

TEST_F(AdvSelectTest, DatesGoIntoTheBoxesAndComeBackAsDayNumbers)
{
    const long march31 = DayNumber(2024, 3, 31);
    const long leapDay = DayNumber(2024, 2, 29);
    const long before1899 = DayNumber(1850, 7, 4);

    dialog->setDates(march31, 0);
    EXPECT_EQ(from->displayText(), "03/31/2024");
    EXPECT_EQ(thru->text(), "//");
    EXPECT_EQ(dialog->fromDate(), march31);
    EXPECT_EQ(dialog->thruDate(), 0);

    dialog->setDates(0, leapDay);
    EXPECT_EQ(from->text(), "//");
    EXPECT_EQ(thru->displayText(), "02/29/2024");
    EXPECT_EQ(dialog->fromDate(), 0);
    EXPECT_EQ(dialog->thruDate(), leapDay);

    dialog->setDates(before1899, march31);
    EXPECT_EQ(from->displayText(), "07/04/1850");
    EXPECT_EQ(dialog->fromDate(), before1899);
    EXPECT_EQ(dialog->thruDate(), march31);
}

TEST_F(AdvSelectTest, TypedDigitsFillTheMask)
{
    type(from, "03312024");
    EXPECT_EQ(from->displayText(), "03/31/2024");
    EXPECT_EQ(dialog->fromDate(), DayNumber(2024, 3, 31));

    type(thru, "12/01/1999");
    EXPECT_EQ(thru->displayText(), "12/01/1999");
    EXPECT_EQ(dialog->thruDate(), DayNumber(1999, 12, 1));
}

TEST_F(AdvSelectTest, ClearEmptiesBothBoxesAndKeepsTheDialogOpen)
{
    show();
    dialog->setDates(DayNumber(2024, 1, 2), DayNumber(2024, 3, 4));
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_EQ(from->text(), "//");
    EXPECT_EQ(thru->text(), "//");
    EXPECT_EQ(dialog->fromDate(), 0);
    EXPECT_EQ(dialog->thruDate(), 0);
    EXPECT_TRUE(stillOpen());
}

TEST_F(AdvSelectTest, EscDoesNothing)
{
    show();
    type(from, "0331");
    QTest::keyClick(from, Qt::Key_Escape);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QTest::keyClick(ok, Qt::Key_Escape);
    EXPECT_TRUE(stillOpen());
    EXPECT_EQ(from->displayText(), "03/31/____");
}

TEST_F(AdvSelectTest, CancelAndTheCloseButtonRejectLeavingTheDatesToTheCaller)
{
    dialog->setDates(DayNumber(2024, 1, 2), 0);
    show();
    type(from, "05052024");
    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_EQ(finished->size(), 1);
    EXPECT_EQ(finished->at(0).at(0).toInt(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());
    // What the boxes held stays readable; not reading it is the caller's part.
    EXPECT_EQ(dialog->fromDate(), DayNumber(2024, 5, 5));

    show();
    dialog->close();
    ASSERT_EQ(finished->size(), 2);
    EXPECT_EQ(finished->at(1).at(0).toInt(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(AdvSelectTest, OkAcceptsWhatTheBoxesHold)
{
    show();
    type(from, "04012024");
    type(thru, "03012024"); // from after thru is the user's choice
    QTest::mouseClick(ok, Qt::LeftButton);
    ASSERT_EQ(finished->size(), 1);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->fromDate(), DayNumber(2024, 4, 1));
    EXPECT_EQ(dialog->thruDate(), DayNumber(2024, 3, 1));
    EXPECT_EQ(beeps, 0);
}

TEST_F(AdvSelectTest, OkByEnterWithBothBoxesEmptyGivesNoBounds)
{
    dialog->setDates(DayNumber(2024, 1, 2), DayNumber(2024, 3, 4));
    show();
    QTest::keyClick(dialog.get(), Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return from->text() == "//" && thru->text() == "//"; }));
    from->setFocus();
    QTest::keyClick(from, Qt::Key_Return);
    ASSERT_EQ(finished->size(), 1);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->fromDate(), 0);
    EXPECT_EQ(dialog->thruDate(), 0);
}

TEST_F(AdvSelectTest, EnteringTheEmptyThruBoxPutsTodayInItSelected)
{
    show();
    QTest::keyClick(from, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), thru);
    EXPECT_EQ(thru->displayText(), "03/15/2024");
    EXPECT_EQ(thru->selectedText(), "03/15/2024");
    EXPECT_EQ(dialog->thruDate(), DayNumber(2024, 3, 15));
    // Typing replaces the whole date.
    QTest::keyClicks(thru, QStringLiteral("04302024"));
    EXPECT_EQ(thru->displayText(), "04/30/2024");

    // Entered by a click: the click that gives the focus keeps the selection.
    from->setFocus();
    thru->clear();
    QTest::mouseClick(thru, Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), thru);
    EXPECT_EQ(thru->selectedText(), "03/15/2024");

    // The from box is not filled.
    QTest::keyClick(thru, Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), from);
    EXPECT_EQ(from->text(), "//");
}

TEST_F(AdvSelectTest, EnteringAThruBoxThatHoldsADateLeavesIt)
{
    dialog->setDates(0, DayNumber(2023, 12, 24));
    show();
    QTest::keyClick(from, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), thru);
    EXPECT_EQ(thru->displayText(), "12/24/2023");
    EXPECT_EQ(dialog->thruDate(), DayNumber(2023, 12, 24));
}

TEST_F(AdvSelectTest, AValidDateLetsTheFocusGo)
{
    show();
    type(from, "02292024");
    QTest::keyClick(from, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), thru);
    EXPECT_EQ(beeps, 0);
}

TEST_F(AdvSelectTest, APressOnClearThatIsNotAClickLeavesTheWrongDateToBeMended)
{
    show();
    type(from, "0331");
    QTest::mousePress(clear, Qt::LeftButton);
    QTest::mouseRelease(clear, Qt::LeftButton, {}, QPoint(-20, -20));
    ASSERT_EQ(from->displayText(), "03/31/____");
    ASSERT_EQ(QApplication::focusWidget(), clear);
    EXPECT_EQ(beeps, 0);

    QTest::keyClick(clear, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), from);
    EXPECT_EQ(beeps, 1);

    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), from);
    EXPECT_EQ(beeps, 2);
    EXPECT_TRUE(stillOpen());
}

// Half-typed dates and dates the calendar does not have.
class AdvSelectInvalidDateTest : public AdvSelectTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(AdvSelectInvalidDateTest, KeepsTheFocusInItsBoxAndIsNotAccepted)
{
    show();
    type(from, GetParam());

    QTest::keyClick(from, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), from);
    EXPECT_EQ(beeps, 1);

    QTest::keyClick(from, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), from);
    EXPECT_EQ(beeps, 2);

    QTest::mouseClick(thru, Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), from);
    EXPECT_EQ(thru->text(), "//"); // not entered, so not filled with today
    EXPECT_EQ(beeps, 3);

    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), from);
    EXPECT_EQ(beeps, 4);

    QTest::keyClick(from, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), from);
    EXPECT_EQ(beeps, 5);

    EXPECT_TRUE(stillOpen());
    EXPECT_EQ(dialog->fromDate(), 0);
}

TEST_P(AdvSelectInvalidDateTest, InTheThruBoxToo)
{
    show();
    QTest::keyClick(from, Qt::Key_Tab);
    type(thru, GetParam());
    QTest::mouseClick(from, Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), thru);
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), thru);
    EXPECT_EQ(beeps, 2);
    EXPECT_TRUE(stillOpen());
}

TEST_P(AdvSelectInvalidDateTest, ClearAndCancelStillWork)
{
    show();
    type(from, GetParam());
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_EQ(from->text(), "//");
    QTest::keyClick(clear, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), from);

    type(from, GetParam());
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_EQ(beeps, 0);
    ASSERT_EQ(finished->size(), 1);
    EXPECT_EQ(finished->at(0).at(0).toInt(), QDialog::Rejected);
}

INSTANTIATE_TEST_SUITE_P(Dates, AdvSelectInvalidDateTest,
                         ::testing::Values("0331", "0331202", "02302024", "13012024", "00152024", "02292023",
                                           "01010000"));

} // namespace
