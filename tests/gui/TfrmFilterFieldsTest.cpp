// The "Report Selection Criteria" dialog: the widths of its edit boxes, its layout for the report type's filter
// fields, and what the user's keys make of it.

#include "gui/TfrmFilterFields.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <utility>

using namespace talmere;

static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

struct WidthCase {
    int length;
    double pixelsPerInch;
    int currentWidth;
    int expected;
};

void ExpectWidths(std::initializer_list<WidthCase> cases)
{
    for (const WidthCase& c : cases) {
        EXPECT_EQ(FilterEditWidth(c.length, c.currentWidth, c.pixelsPerInch), c.expected)
            << "length " << c.length << " at " << c.pixelsPerInch << " ppi, current width " << c.currentWidth;
    }
}

TEST(FilterEditWidth, FollowsTheLengthAtStandardResolution)
{
    ExpectWidths({{1, 96, 229, 17},
                  {2, 96, 229, 30},
                  {3, 96, 229, 39},
                  {5, 96, 229, 65},
                  {6, 96, 229, 78},
                  {7, 96, 229, 84},
                  {12, 96, 229, 144},
                  {13, 96, 229, 143},
                  {20, 96, 229, 220},
                  {21, 96, 229, 229},
                  {40, 96, 229, 229}});
    // Screens below 96 pixels per inch get the same widths.
    ExpectWidths({{1, 72, 229, 17}, {5, 72, 229, 65}, {20, 72, 229, 220}});
}

TEST(FilterEditWidth, GrowsAbove96PixelsPerInch)
{
    ExpectWidths({{1, 120, 286, 21},
                  {3, 120, 286, 49},
                  {5, 120, 286, 81},
                  {7, 120, 286, 105},
                  {13, 120, 286, 179},
                  {20, 120, 286, 275},
                  {6, 144, 344, 117},
                  {12, 144, 344, 216},
                  {20, 144, 344, 330}});
    // Already just above 96, where the dialog's layout keeps its design size.
    ExpectWidths({{20, 98, 229, 225}, {5, 100, 229, 68}});
}

TEST(FilterEditWidth, RoundsHalvesToTheEvenNeighbour)
{
    ExpectWidths({{3, 144, 344, 58},   // 58.5
                  {13, 144, 344, 214}, // 214.5
                  {2, 120, 286, 38},   // 37.5
                  {1, 144, 344, 26},   // 25.5
                  {5, 144, 344, 98}}); // 97.5
}

TEST(FilterEditWidth, NeverExceedsTheCurrentWidth)
{
    ExpectWidths({{5, 96, 50, 50}, {20, 120, 229, 229}, {40, 144, 344, 344}, {INT_MAX, 144, 344, 344}});
}

TEST(FilterEditWidth, NoLengthAndNegativeLengthsKeepTheCurrentWidth)
{
    ExpectWidths(
        {{0, 96, 229, 229}, {0, 144, 344, 344}, {-1, 96, 229, 229}, {-40, 144, 344, 344}, {INT_MIN, 96, 229, 229}});
}

using Fields = std::array<TReportFilterFieldInfo, kFilterFieldCount>;

Fields NamedRows(std::initializer_list<std::pair<int, TReportFilterFieldInfo>> rows)
{
    Fields fields;
    for (const auto& [number, field] : rows) {
        fields[number - 1] = field;
    }
    return fields;
}

Fields AllRowsNamed()
{
    Fields fields;
    for (int n = 0; n < kFilterFieldCount; ++n) {
        fields[n] = {QStringLiteral("Field %1").arg(n + 1), 10};
    }
    return fields;
}

class FilterFieldsTest : public ::testing::Test {
protected:
    void make(const Fields& fields, double pixelsPerInch = 96.0)
    {
        dialog = std::make_unique<TfrmFilterFields>(fields, nullptr, pixelsPerInch);
        ok = dialog->findChild<QPushButton*>(QStringLiteral("BtnOK"));
        cancel = dialog->findChild<QPushButton*>(QStringLiteral("BtnCancel"));
        ASSERT_TRUE(ok && cancel);
        for (int n = 0; n < kFilterFieldCount; ++n) {
            labels[n] = dialog->findChild<QLabel*>(QStringLiteral("lblFilter%1").arg(n + 1));
            edits[n] = dialog->findChild<QLineEdit*>(QStringLiteral("cbeFieldFilter%1").arg(n + 1));
            ASSERT_TRUE(labels[n] && edits[n]) << "row " << n + 1;
        }
        finished = std::make_unique<QSignalSpy>(dialog.get(), &QDialog::finished);
    }

    void show()
    {
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }

    // Row numbers from 1, as the user sees them.
    QLabel* label(int number) const { return labels[number - 1]; }
    QLineEdit* edit(int number) const { return edits[number - 1]; }

    int result() const { return finished->size() == 1 ? finished->at(0).at(0).toInt() : -1; }

    std::unique_ptr<TfrmFilterFields> dialog;
    std::unique_ptr<QSignalSpy> finished;
    std::array<QLabel*, kFilterFieldCount> labels{};
    std::array<QLineEdit*, kFilterFieldCount> edits{};
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
};

TEST_F(FilterFieldsTest, AllTenRowsStandOneBelowTheOther)
{
    make(AllRowsNamed());
    EXPECT_EQ(dialog->windowTitle(), "Report Selection Criteria");
    EXPECT_EQ(dialog->size(), QSize(386, 329));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        EXPECT_EQ(dialog->geometry().center(), screen->availableGeometry().center());
    }
    for (int n = 1; n <= kFilterFieldCount; ++n) {
        SCOPED_TRACE(n);
        const int top = 12 + (n - 1) * 28;
        EXPECT_EQ(label(n)->text(), QStringLiteral("Field %1").arg(n));
        EXPECT_EQ(label(n)->pos(), QPoint(12, top + 4));
        EXPECT_EQ(label(n)->width(), 130);
        EXPECT_EQ(edit(n)->geometry(), QRect(146, top, 120, 21));
        EXPECT_FALSE(edit(n)->isHidden());
    }
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(cancel->text(), "Cancel");
    EXPECT_EQ(ok->geometry(), QRect(218, 296, 75, 25));
    EXPECT_EQ(cancel->geometry(), QRect(302, 296, 75, 25));

    show();
    EXPECT_EQ(QApplication::focusWidget(), edit(1));
}

TEST_F(FilterFieldsTest, AnUnnamedRowBetweenNamedOnesLeavesAGap)
{
    make(NamedRows({{1, {"Payer", 5}}, {3, {"Claim", 40}}}));
    show();
    EXPECT_TRUE(label(1)->isVisible() && edit(1)->isVisible());
    EXPECT_FALSE(label(2)->isVisible() || edit(2)->isVisible());
    EXPECT_TRUE(label(3)->isVisible() && edit(3)->isVisible());
    for (int n = 4; n <= kFilterFieldCount; ++n) {
        EXPECT_FALSE(label(n)->isVisible() || edit(n)->isVisible()) << "row " << n;
    }
    // Row 3 keeps its place; the buttons sit below it.
    EXPECT_EQ(edit(3)->geometry(), QRect(146, 68, 229, 21));
    EXPECT_EQ(ok->geometry(), QRect(218, 100, 75, 25));
    EXPECT_EQ(cancel->geometry(), QRect(302, 100, 75, 25));
    EXPECT_EQ(dialog->size(), QSize(386, 133));
}

TEST_F(FilterFieldsTest, WithoutAnyNameTheButtonsSitBelowTheFirstRow)
{
    make(Fields{});
    for (int n = 1; n <= kFilterFieldCount; ++n) {
        EXPECT_TRUE(edit(n)->isHidden()) << "row " << n;
    }
    EXPECT_EQ(ok->y(), 44);
    EXPECT_EQ(dialog->size(), QSize(386, 77));
}

TEST_F(FilterFieldsTest, TheLengthSetsTheWidthAndTheLimitOfTheBox)
{
    make(NamedRows({{1, {"Five", 5}}, {2, {"One", 1}}, {3, {"Forty", 40}}, {4, {"None", 0}}, {5, {"Negative", -3}}}));
    EXPECT_EQ(edit(1)->width(), 65);
    EXPECT_EQ(edit(1)->maxLength(), 5);
    EXPECT_EQ(edit(2)->width(), 17);
    EXPECT_EQ(edit(2)->maxLength(), 1);
    EXPECT_EQ(edit(3)->width(), 229);
    EXPECT_EQ(edit(3)->maxLength(), 40);
    // No length and a negative one set no limit; the box keeps its designed width.
    const int unlimited = QLineEdit().maxLength();
    for (int n : {4, 5}) {
        EXPECT_EQ(edit(n)->width(), 229) << "row " << n;
        EXPECT_EQ(edit(n)->maxLength(), unlimited) << "row " << n;
    }
    show();
    const QString many(100, QLatin1Char('x'));
    QTest::keyClicks(edit(5), many);
    EXPECT_EQ(edit(5)->text(), many.toUpper());
    QTest::keyClicks(edit(1), QStringLiteral("abcdefgh"));
    EXPECT_EQ(edit(1)->text(), "ABCDE");
}

TEST_F(FilterFieldsTest, ALongNameIsCutAtTheLabelsEdge)
{
    const QString name = QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWW");
    make(NamedRows({{1, {name, 10}}}));
    show();
    EXPECT_EQ(label(1)->text(), name);
    EXPECT_EQ(label(1)->width(), 130);
    EXPECT_LE(label(1)->geometry().right(), edit(1)->x());
}

TEST_F(FilterFieldsTest, TheLayoutGrowsAbove100PixelsPerInch)
{
    // 144 pixels per inch: one and a half times the design; halves round to the even neighbour.
    make(NamedRows({{1, {"Payer", 3}}, {3, {"Claim", 40}}}), 144.0);
    EXPECT_EQ(edit(1)->geometry(), QRect(219, 18, 58, 32));
    EXPECT_EQ(edit(3)->geometry(), QRect(219, 18 + 2 * 42, 344, 32));
    EXPECT_EQ(label(3)->geometry().topLeft(), QPoint(18, 18 + 2 * 42 + 6));
    EXPECT_EQ(label(3)->width(), 195);
    EXPECT_EQ(ok->geometry(), QRect(327, 148, 112, 38));
    EXPECT_EQ(cancel->geometry(), QRect(453, 148, 112, 38));
    EXPECT_EQ(dialog->size(), QSize(579, 194));
}

TEST_F(FilterFieldsTest, UpTo100PixelsPerInchOnlyTheFieldWidthsGrow)
{
    make(NamedRows({{1, {"Payer", 5}}, {3, {"Claim", 40}}}), 100.0);
    EXPECT_EQ(edit(1)->geometry(), QRect(146, 12, 68, 21));
    EXPECT_EQ(edit(3)->geometry(), QRect(146, 68, 229, 21));
    EXPECT_EQ(ok->y(), 100);
    EXPECT_EQ(dialog->size(), QSize(386, 133));
}

TEST_F(FilterFieldsTest, TypedLettersBecomeCapitals)
{
    make(NamedRows({{1, {"Payer", 10}}}));
    show();
    QTest::keyClicks(edit(1), QStringLiteral("a1c-"));
    QTest::sendKeyEvent(QTest::Click, edit(1), Qt::Key_Eacute, QStringLiteral("é"), Qt::NoModifier);
    EXPECT_EQ(edit(1)->text(), "A1C-É");

    // A letter typed in the middle stays where the cursor is, and the cursor moves on behind it.
    edit(1)->setCursorPosition(1);
    QTest::keyClick(edit(1), Qt::Key_B, Qt::NoModifier);
    EXPECT_EQ(edit(1)->text(), "AB1C-É");
    EXPECT_EQ(edit(1)->cursorPosition(), 2);

    // Typing can be undone.
    QTest::keyClick(edit(1), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit(1)->text(), "A1C-É");
}

TEST_F(FilterFieldsTest, PastedTextBecomesCapitalsToo)
{
    make(NamedRows({{1, {"Payer", 10}}}));
    show();
    QTest::keyClicks(edit(1), QStringLiteral("ab"));
    edit(1)->setCursorPosition(1);
    edit(1)->insert(QStringLiteral("xyzzy")); // as the clipboard or a drop would put it in
    EXPECT_EQ(edit(1)->text(), "AXYZZYB");
    EXPECT_EQ(edit(1)->cursorPosition(), 6);
}

TEST_F(FilterFieldsTest, NothingIsReadBeforeTheDialogCloses)
{
    make(NamedRows({{1, {"Payer", 10}}}));
    show();
    QTest::keyClicks(edit(1), QStringLiteral("abc"));
    for (const QString& value : dialog->values()) {
        EXPECT_TRUE(value.isEmpty());
    }
}

// A way to close the dialog, and the result it gives.
struct Closing {
    const char* how;
    int result;
};

void PrintTo(const Closing& closing, std::ostream* out)
{
    *out << closing.how;
}

class FilterFieldsClosingTest : public FilterFieldsTest, public ::testing::WithParamInterface<Closing> {
protected:
    void close(const std::string& how)
    {
        if (how == "OK") {
            QTest::mouseClick(ok, Qt::LeftButton);
        } else if (how == "Cancel") {
            QTest::mouseClick(cancel, Qt::LeftButton);
        } else if (how == "Enter") {
            QTest::keyClick(edit(3), Qt::Key_Return);
        } else if (how == "Esc") {
            QTest::keyClick(edit(3), Qt::Key_Escape);
        } else {
            dialog->close();
        }
    }
};

TEST_P(FilterFieldsClosingTest, TheRowsInUseAreReadWhateverTheResult)
{
    const Closing& closing = GetParam();
    make(NamedRows({{1, {"Payer", 10}}, {3, {"Claim", 10}}}));
    edit(2)->setText(QStringLiteral("HIDDEN")); // not in use: not read
    show();
    QTest::keyClicks(edit(1), QStringLiteral("bcbs"));
    edit(3)->setFocus();
    QTest::keyClicks(edit(3), QStringLiteral("12ab"));

    close(closing.how);
    EXPECT_EQ(result(), closing.result);
    EXPECT_FALSE(dialog->isVisible());
    const TfrmFilterFields::Values& values = dialog->values();
    EXPECT_EQ(values[0], "BCBS");
    EXPECT_EQ(values[1], "");
    EXPECT_EQ(values[2], "12AB");
    for (int n = 3; n < kFilterFieldCount; ++n) {
        EXPECT_EQ(values[n], "") << "row " << n + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, FilterFieldsClosingTest,
                         ::testing::Values(Closing{"OK", QDialog::Accepted}, Closing{"Enter", QDialog::Accepted},
                                           Closing{"Cancel", QDialog::Rejected}, Closing{"Esc", QDialog::Rejected},
                                           Closing{"TitleBar", QDialog::Rejected}),
                         [](const auto& info) { return std::string(info.param.how); });

} // namespace
