// The report list: the grid's model over the listing table, its columns per report type, the order a user
// sorts it in, the quick search, the date filter and the fill from a type's listing.

#include "catalogue/ReportList.h"
#include "catalogue/ListingModel.h"
#include "catalogue/ListingViewModel.h"
#include "tests/support/ArchiveTestSupport.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

using namespace talmere;
using test::TypeSection;
namespace fs = std::filesystem;

namespace {

std::array<TReportHeaderColumnInfo, kListColumnCount> Columns()
{
    std::array<TReportHeaderColumnInfo, kListColumnCount> columns{};
    columns[0] = {"Date", kAlignLeft, kAlignLeft, 11};
    columns[1] = {"Batch", kAlignCenter, kAlignLeft, 8};
    columns[3] = {"Rejected", kAlignRight, kAlignRight, 6};
    return columns;
}

ListingRow Row(const QString& date, const QString& batch, const QString& rejected, const QString& file)
{
    ListingRow row;
    row.values[0] = date;
    row.values[1] = batch;
    row.values[3] = rejected;
    row.file = file;
    return row;
}

class ListingModels : public ::testing::Test {
protected:
    test::TempFolder folder;
    ListingTable table;
    ListingModel model{table};
    ListingViewModel view{model};
    QAbstractItemModelTester modelTester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    QAbstractItemModelTester viewTester{&view, QAbstractItemModelTester::FailureReportingMode::Fatal};

    void SetUp() override
    {
        ASSERT_TRUE(table.create(test::Folder(folder.path())));
        model.setColumns(Columns());
        model.replaceRows({Row("03/15/2024", "B-77", "12", "AK240315.001"),
                           Row("12/01/2023", "a-12", "(3)", "AK231201.001"),
                           Row("03/02/2024", "B-8", "1,200", "AK240302.001")});
    }

    QStringList shownFiles() const
    {
        QStringList files;
        for (int row = 0; row < view.rowCount(); ++row) {
            files << model.fileName(view.mapToSource(view.index(row, 0)).row());
        }
        return files;
    }
};

} // namespace

TEST_F(ListingModels, OnlyTitledColumnsAndTheFillerAreShownWithTheTypesTitlesWidthsAndAlignments)
{
    std::vector<int> shown;
    for (int column = 0; column < kListingColumnCount; ++column) {
        if (model.isColumnShown(column)) {
            shown.push_back(column);
        }
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 3, kListingDummyColumn}));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Batch");
    EXPECT_EQ(model.headerData(kListingDummyColumn, Qt::Horizontal).toString(), " ");
    EXPECT_EQ(model.columnWidthChars(0), 11);
    EXPECT_EQ(model.columnWidthChars(2), 0);
    EXPECT_EQ(model.columnWidthChars(kListingDummyColumn), kListingDummyDisplayWidth);
    EXPECT_EQ(model.columnWidthChars(kListingFileColumn), 0);

    const auto alignment = [](const QVariant& value) {
        return value.value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignment(model.headerData(1, Qt::Horizontal, Qt::TextAlignmentRole)), Qt::AlignHCenter);
    EXPECT_EQ(alignment(model.headerData(3, Qt::Horizontal, Qt::TextAlignmentRole)), Qt::AlignRight);
    // Untitled columns keep the grid's left.
    EXPECT_EQ(alignment(model.headerData(2, Qt::Horizontal, Qt::TextAlignmentRole)), Qt::AlignLeft);
    EXPECT_EQ(alignment(model.data(model.index(0, 3), Qt::TextAlignmentRole)), Qt::AlignRight);
    EXPECT_EQ(alignment(model.data(model.index(0, 1), Qt::TextAlignmentRole)), Qt::AlignLeft);

    EXPECT_EQ(model.data(model.index(2, 1)).toString(), "B-8");
    EXPECT_EQ(model.data(model.index(2, kListingFileColumn)).toString(), "AK240302.001");
    EXPECT_EQ(model.data(model.index(2, kListingDummyColumn)).toString(), "");
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);

    // Another type: other columns, the same rows.
    std::array<TReportHeaderColumnInfo, kListColumnCount> other{};
    other[5] = {"Payer", kAlignLeft, kAlignLeft, 20};
    model.setColumns(other);
    EXPECT_FALSE(model.isColumnShown(0));
    EXPECT_TRUE(model.isColumnShown(5));
    EXPECT_EQ(model.rowCount(), 3);
}

TEST_F(ListingModels, SortingByATitleOrdersDatesAsDatesAndNumbersAsNumbersAndCanBeUndone)
{
    view.sort(0, Qt::AscendingOrder);
    EXPECT_EQ(shownFiles(), (QStringList{"AK231201.001", "AK240302.001", "AK240315.001"}));
    view.sort(3, Qt::DescendingOrder);
    EXPECT_EQ(shownFiles(), (QStringList{"AK240302.001", "AK240315.001", "AK231201.001"}));
    // Text without regard to case, character by character.
    view.sort(1, Qt::AscendingOrder);
    EXPECT_EQ(shownFiles(), (QStringList{"AK231201.001", "AK240315.001", "AK240302.001"}));
    view.clearSort();
    EXPECT_EQ(shownFiles(), (QStringList{"AK240315.001", "AK231201.001", "AK240302.001"}));
    // The table keeps its own order whatever the view shows.
    EXPECT_EQ(model.fileName(0), "AK240315.001");
}

TEST(ListingValueOrder, KindsOfValuesCompareAsTheyRead)
{
    EXPECT_LT(CompareListingValues("12/31/2023", "01/02/2024"), 0);
    EXPECT_LT(CompareListingValues("09:59", "10:00"), 0);
    EXPECT_LT(CompareListingValues("09:59:59", "10:00:00"), 0);
    EXPECT_LT(CompareListingValues("9", "10"), 0);
    EXPECT_LT(CompareListingValues("999", "1,000"), 0);
    EXPECT_LT(CompareListingValues("($5.00)", "$1.50"), 0);
    EXPECT_LT(CompareListingValues("-2", "1"), 0);
    EXPECT_EQ(CompareListingValues("payer one", "PAYER ONE"), 0);
    EXPECT_LT(CompareListingValues("", "0"), 0);
    EXPECT_LT(CompareListingValues("5", "MIXED"), 0);
    EXPECT_GT(CompareListingValues("02/30/2024", "01/01/2024"), 0) << "an impossible date is text";
}

TEST_F(ListingModels, TheQuickSearchNarrowsToRowsWhoseShownColumnsContainTheText)
{
    view.setSearchText("b-");
    EXPECT_EQ(shownFiles(), (QStringList{"AK240315.001", "AK240302.001"}));
    view.setSearchText("1,2");
    EXPECT_EQ(shownFiles(), QStringList{"AK240302.001"});
    // The file name is no shown column.
    view.setSearchText("AK2312");
    EXPECT_TRUE(shownFiles().isEmpty());
    view.setSearchText("");
    EXPECT_EQ(view.rowCount(), 3);

    // A refill keeps the search and the order.
    view.setSearchText("B-");
    view.sort(0, Qt::DescendingOrder);
    model.replaceRows({Row("01/01/2024", "B-1", "0", "X1"), Row("01/05/2024", "B-2", "0", "X2"),
                       Row("01/03/2024", "C-3", "0", "X3")});
    EXPECT_EQ(shownFiles(), (QStringList{"X2", "X1"}));
}

TEST_F(ListingModels, RemovingARowTakesItOutOfTheTableAndTheView)
{
    view.sort(0, Qt::AscendingOrder);
    model.removeReportRow(1);
    EXPECT_EQ(shownFiles(), (QStringList{"AK240302.001", "AK240315.001"}));
    EXPECT_EQ(table.rowCount(), 2);
    model.removeReportRow(7);
    EXPECT_EQ(table.rowCount(), 2);
    model.clearRows();
    EXPECT_EQ(view.rowCount(), 0);
}

TEST(ReportDateFilter, TheThruDayIsIncludedWhole)
{
    const long thru = DayNumber(2024, 3, 31);
    const ReportDateFilter filter{0, thru};
    EXPECT_TRUE(PassesDateFilter(EncodeDateTime({2024, 3, 31, 23, 59}), filter));
    EXPECT_FALSE(PassesDateFilter(EncodeDateTime({2024, 4, 1, 0, 0}), filter));
    const ReportDateFilter from{DayNumber(2024, 3, 1), 0};
    EXPECT_FALSE(PassesDateFilter(EncodeDateTime({2024, 2, 29, 23, 59}), from));
    EXPECT_TRUE(PassesDateFilter(EncodeDateTime({2024, 3, 1, 0, 0}), from));
    EXPECT_TRUE(PassesDateFilter(EncodeDateTime({1990, 1, 1}), ReportDateFilter{}));
    EXPECT_FALSE(ReportDateFilter{}.active());
    EXPECT_TRUE(from.active());
}

TEST(ReportListFill, TheListingsLinesFillTheTableInTheirOrderCutToTheFieldWidths)
{
    test::ArchiveWorld world;
    world.writeConfiguration("[Report Types]\nLetters=\n" +
                             TypeSection("Letters", {"ReportFormat=TEXT", "ReportDesc=Letters", "ArchivePrefix=PL",
                                                     "StagingDirectory=%SERVER_DIR%\\mailbox", "FileNameMask=*.TXT"}));
    ASSERT_TRUE(world.load()) << world.prompts().errors().join("\n").toStdString();
    world.put(world.archive() / "PL", "PL240301.001", "x", DateTimeParts{2024, 3, 1, 8, 0});
    world.put(world.archive() / "PL", "PL240302.001", "y", DateTimeParts{2024, 3, 2, 8, 0});
    // A listing that matches the folder is used as it is, in its order: here with one long value and a blank
    // line.
    test::WriteFile(world.privateFolderListing("PL"), "20240302|0800|PL240302.001|" + std::string(75, 'v') +
                                                          "|\r\n"
                                                          "\r\n"
                                                          "20240301|0800|PL240301.001|first|second\r\n");
    ListingTable table;
    ASSERT_TRUE(table.create(test::Folder(world.install() / "private")));
    ListingModel model(table);
    FillListingTable(world.context(), 0, {}, model);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.fileName(0), "PL240302.001");
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString(60, QLatin1Char('v')));
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), "second");
    EXPECT_TRUE(world.prompts().shown.empty());

    FillListingTable(world.context(), 0, {DayNumber(2024, 3, 2), 0}, model);
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.fileName(0), "PL240302.001");

    // A listing that no longer matches the folder is rebuilt by the library before the fill.
    fs::remove(world.archive() / "PL" / "PL240302.001");
    FillListingTable(world.context(), 0, {}, model);
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.fileName(0), "PL240301.001");
}

TEST(ReportListDelete, ANameThatIsNoPlainFileNameNeverReachesOutsideTheSubfolder)
{
    test::ArchiveWorld world;
    world.writeConfiguration("[Report Types]\nLetters=\n" +
                             TypeSection("Letters", {"ReportFormat=TEXT", "ReportDesc=Letters", "ArchivePrefix=PL",
                                                     "StagingDirectory=%SERVER_DIR%\\mailbox", "FileNameMask=*.TXT"}));
    ASSERT_TRUE(world.load()) << world.prompts().errors().join("\n").toStdString();
    const fs::path outside = world.put(world.archive(), "KEEP.TXT", "keep");
    ListingTable table;
    ASSERT_TRUE(table.create(test::Folder(world.install() / "private")));
    ListingModel model(table);
    ListingRow row;
    row.file = "../KEEP.TXT";
    model.replaceRows({row});
    EXPECT_TRUE(DeleteListedReport(world.context(), 0, model, 0));
    EXPECT_TRUE(fs::exists(outside));
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(DeleteListedReport(world.context(), 0, model, 0));
}
