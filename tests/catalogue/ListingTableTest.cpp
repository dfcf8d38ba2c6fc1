// The listing table: a dBASE file in a private folder, checked here byte by byte and through the table engine,
// after every change; its name, its exclusive open within this process and against another, its deletion, and
// what it answers when its file cannot be made or written.

#include "catalogue/ListingTable.h"
#include "core/AnsiText.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <shapefil.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace talmere;
using test::Q;
namespace fs = std::filesystem;

namespace talmere {

void PrintTo(const ListingRow& row, std::ostream* out)
{
    *out << "{";
    for (const QString& value : row.values) {
        *out << '"' << value.toStdString() << "\" ";
    }
    *out << "file \"" << row.file.toStdString() << "\"}";
}

} // namespace talmere

namespace {

constexpr std::size_t kHeaderBytes = 32 + 14 * 32 + 1;
constexpr std::size_t kRecordBytes = 1 + 12 * 60 + 1 + 40;

unsigned Little(const std::string& bytes, std::size_t at, int size)
{
    unsigned value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(i)));
    }
    return value;
}

std::string Trailing(std::string text)
{
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

// The rows of a listing table's file, read from its bytes as any dBASE reader would, without the table code.
std::vector<ListingRow> RowsInFile(const fs::path& path)
{
    const std::string bytes = test::ReadFile(path);
    if (bytes.size() < kHeaderBytes) {
        ADD_FAILURE() << "no header in " << path;
        return {};
    }
    const unsigned count = Little(bytes, 4, 4);
    EXPECT_EQ(Little(bytes, 8, 2), kHeaderBytes);
    EXPECT_EQ(Little(bytes, 10, 2), kRecordBytes);
    // Exactly the counted records and the end-of-file mark: nothing left behind of rows that were removed.
    EXPECT_EQ(bytes.size(), kHeaderBytes + count * kRecordBytes + 1) << path;
    EXPECT_EQ(bytes.back(), '\x1a');
    std::vector<ListingRow> rows;
    for (std::size_t i = 0; i < count && kHeaderBytes + (i + 1) * kRecordBytes <= bytes.size(); ++i) {
        const std::string record = bytes.substr(kHeaderBytes + i * kRecordBytes, kRecordBytes);
        EXPECT_EQ(record[0], ' ') << "row " << i << " is marked deleted";
        ListingRow row;
        for (std::size_t v = 0; v < 12; ++v) {
            row.values[v] = FromAnsi(Trailing(record.substr(1 + v * 60, 60)));
        }
        EXPECT_EQ(record[1 + 12 * 60], ' ') << "A_DUMMY holds something";
        row.file = FromAnsi(Trailing(record.substr(1 + 12 * 60 + 1, 40)));
        rows.push_back(row);
    }
    return rows;
}

std::vector<ListingRow> RowsOf(const ListingTable& table)
{
    std::vector<ListingRow> rows;
    for (int i = 0; i < table.rowCount(); ++i) {
        rows.push_back(table.row(i));
    }
    return rows;
}

ListingRow Row(const QString& first, const QString& file)
{
    ListingRow row;
    row.values[0] = first;
    row.values[11] = first + QStringLiteral("/12");
    row.file = file;
    return row;
}

std::vector<ListingRow> Rows(int count, const QString& prefix = QStringLiteral("r"))
{
    std::vector<ListingRow> rows;
    for (int i = 0; i < count; ++i) {
        rows.push_back(Row(prefix + QString::number(i), QStringLiteral("AB%1.001").arg(i)));
    }
    return rows;
}

std::vector<QString> FirstValues(const std::vector<ListingRow>& rows)
{
    std::vector<QString> values;
    for (const ListingRow& row : rows) {
        values.push_back(row.values[0]);
    }
    return values;
}

fs::path PathOf(const ListingTable& table)
{
    return fs::path(table.filePath().toStdString());
}

#define EXPECT_FILE_HOLDS_TABLE(table) EXPECT_EQ(RowsInFile(PathOf(table)), RowsOf(table))

} // namespace

TEST(ListingTableFile, IsADbaseTableWithTheListingFieldsInOrder)
{
    test::TempFolder folder;
    ListingTable table;
    ASSERT_TRUE(table.create(Q(folder.path()))) << table.errorText().toStdString();
    EXPECT_TRUE(table.isOpen());
    EXPECT_EQ(table.tableName(), "dyna0001");
    EXPECT_EQ(PathOf(table), folder / "dyna0001.dbf");
    EXPECT_EQ(table.rowCount(), 0);

    // Through the engine, as another program would read it while the table is open.
    const std::string path = PathOf(table).string();
    DBFHandle reader = DBFOpen(path.c_str(), "rb");
    ASSERT_NE(reader, nullptr);
    ASSERT_EQ(DBFGetFieldCount(reader), 14);
    EXPECT_EQ(DBFGetRecordCount(reader), 0);
    for (int i = 0; i < 14; ++i) {
        char name[12] = {};
        int width = 0;
        int decimals = -1;
        EXPECT_EQ(DBFGetFieldInfo(reader, i, name, &width, &decimals), FTString) << i;
        EXPECT_EQ(DBFGetNativeFieldType(reader, i), 'C') << i;
        EXPECT_EQ(QString::fromLatin1(name), ListingFieldName(i));
        EXPECT_EQ(width, i < 12 ? 60 : i == 12 ? 1 : 40) << i;
        EXPECT_EQ(decimals, 0) << i;
    }
    DBFClose(reader);
    EXPECT_EQ(ListingFieldName(0), "A_FIELD01");
    EXPECT_EQ(ListingFieldName(11), "A_FIELD12");
    EXPECT_EQ(ListingFieldName(12), "A_DUMMY");
    EXPECT_EQ(ListingFieldName(13), "A_FILE");
    EXPECT_EQ(ListingFieldName(14), "");
    EXPECT_EQ(ListingFieldName(-1), "");

    // The bytes themselves: a dBASE III table without memo, no rows, the code page 1252 driver.
    const std::string bytes = test::ReadFile(path);
    ASSERT_EQ(bytes.size(), kHeaderBytes + 1);
    EXPECT_EQ(bytes[0], '\x03');
    EXPECT_EQ(Little(bytes, 4, 4), 0u);
    EXPECT_EQ(Little(bytes, 8, 2), kHeaderBytes);
    EXPECT_EQ(Little(bytes, 10, 2), kRecordBytes);
    EXPECT_EQ(bytes[29], '\x57');
    EXPECT_EQ(bytes.substr(32, 11), std::string("A_FIELD01\0\0", 11));
    EXPECT_EQ(bytes[32 + 11], 'C');
    EXPECT_EQ(Little(bytes, 32 + 16, 1), 60u);
    EXPECT_EQ(bytes[32 + 17], '\0');
    EXPECT_EQ(bytes.substr(32 + 12 * 32, 8), std::string("A_DUMMY\0", 8));
    EXPECT_EQ(Little(bytes, 32 + 12 * 32 + 16, 1), 1u);
    EXPECT_EQ(bytes.substr(32 + 13 * 32, 7), std::string("A_FILE\0", 7));
    EXPECT_EQ(bytes[32 + 13 * 32 + 11], 'C');
    EXPECT_EQ(Little(bytes, 32 + 13 * 32 + 16, 1), 40u);
    EXPECT_EQ(bytes[kHeaderBytes - 1], '\x0d');
    EXPECT_EQ(bytes.back(), '\x1a');
}

TEST(ListingTableFile, ValuesAreStoredCutToTheirFieldsAsWindowsAnsiText)
{
    test::TempFolder folder;
    ListingTable table;
    ASSERT_TRUE(table.create(Q(folder.path())));
    ListingRow row;
    row.values[0] = QString(75, QLatin1Char('x')) + QStringLiteral("END");
    row.values[1] = QStringLiteral("Café 100€ – “quoted”");
    row.values[2] = QStringLiteral("Ωmega"); // no such letter in code page 1252
    row.values[3] = QStringLiteral("  padded  ");
    row.values[4] = QStringLiteral("before") + QChar(0) + QStringLiteral("after");
    row.values[11] = QString(60, QLatin1Char('y'));
    row.file = QString(45, QLatin1Char('F'));
    ASSERT_TRUE(table.append(row));

    const ListingRow& stored = table.row(0);
    EXPECT_EQ(stored.values[0], QString(60, QLatin1Char('x')));
    EXPECT_EQ(stored.values[1], row.values[1]);
    EXPECT_EQ(stored.values[2], "?mega");
    EXPECT_EQ(stored.values[3], "  padded"); // the padding takes the trailing blanks
    EXPECT_EQ(stored.values[4], "before");
    EXPECT_EQ(stored.values[5], "");
    EXPECT_EQ(stored.values[11], row.values[11]);
    EXPECT_EQ(stored.file, QString(40, QLatin1Char('F')));
    EXPECT_FILE_HOLDS_TABLE(table);

    const std::string bytes = test::ReadFile(PathOf(table));
    const std::string record = bytes.substr(kHeaderBytes, kRecordBytes);
    EXPECT_EQ(record.substr(61, 22), "Caf\xe9 100\x80 \x96 \x93quoted\x94  ");
    EXPECT_EQ(record.substr(1 + 4 * 60, 7), "before ");

    // The engine reads the same values.
    const std::string path = PathOf(table).string();
    DBFHandle reader = DBFOpen(path.c_str(), "rb");
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(std::string(DBFReadStringAttribute(reader, 0, 0)), std::string(60, 'x'));
    EXPECT_EQ(FromAnsi(DBFReadStringAttribute(reader, 0, 1)), row.values[1]);
    EXPECT_EQ(std::string(DBFReadStringAttribute(reader, 0, 13)), std::string(40, 'F'));
    DBFClose(reader);

    // And a table opened on the file reads back exactly what was stored: a copy, as the file itself is held.
    fs::copy_file(PathOf(table), folder / "copy.dbf");
    ListingTable copy;
    ASSERT_TRUE(copy.open(Q(folder / "copy.dbf"))) << copy.errorText().toStdString();
    EXPECT_EQ(copy.tableName(), "copy");
    ASSERT_EQ(copy.rowCount(), 1);
    EXPECT_EQ(copy.row(0), stored);
    EXPECT_EQ(test::ReadFile(folder / "copy.dbf"), bytes) << "a table read as it is stays untouched";
}

TEST(ListingTableFile, HoldsExactlyTheTablesRowsInTheirOrderAfterEveryChange)
{
    test::TempFolder folder;
    ListingTable table;
    ASSERT_TRUE(table.create(Q(folder.path())));

    ASSERT_TRUE(table.append(Row(QStringLiteral("one"), QStringLiteral("AB1"))));
    ASSERT_TRUE(table.append(Rows(4)));
    ASSERT_TRUE(table.append(Row(QStringLiteral("last"), QStringLiteral("AB2"))));
    ASSERT_TRUE(table.append(std::vector<ListingRow>{}));
    EXPECT_EQ(FirstValues(RowsOf(table)), (std::vector<QString>{"one", "r0", "r1", "r2", "r3", "last"}));
    EXPECT_EQ(table.row(1).values[11], "r0/12");
    EXPECT_EQ(table.row(5).file, "AB2");
    EXPECT_FILE_HOLDS_TABLE(table);

    ASSERT_TRUE(table.removeRow(2)); // a middle row: the rest move up
    EXPECT_EQ(FirstValues(RowsOf(table)), (std::vector<QString>{"one", "r0", "r2", "r3", "last"}));
    EXPECT_FILE_HOLDS_TABLE(table);
    ASSERT_TRUE(table.removeRow(0));
    ASSERT_TRUE(table.removeRow(3));
    EXPECT_EQ(FirstValues(RowsOf(table)), (std::vector<QString>{"r0", "r2", "r3"}));
    EXPECT_FILE_HOLDS_TABLE(table);

    // Rows appended after a removal follow the others, in the file too.
    ASSERT_TRUE(table.append(Rows(2, QStringLiteral("n"))));
    EXPECT_EQ(FirstValues(RowsOf(table)), (std::vector<QString>{"r0", "r2", "r3", "n0", "n1"}));
    EXPECT_FILE_HOLDS_TABLE(table);

    EXPECT_FALSE(table.removeRow(5));
    EXPECT_FALSE(table.removeRow(-1));
    EXPECT_EQ(table.rowCount(), 5);
    EXPECT_EQ(table.row(5), ListingRow{}) << "out of range: an empty row";

    ASSERT_TRUE(table.clear());
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_FILE_HOLDS_TABLE(table);
    EXPECT_EQ(fs::file_size(PathOf(table)), kHeaderBytes + 1);
    ASSERT_TRUE(table.append(Rows(3)));
    ASSERT_TRUE(table.removeRow(0));
    ASSERT_TRUE(table.removeRow(0));
    ASSERT_TRUE(table.removeRow(0));
    EXPECT_FILE_HOLDS_TABLE(table);
    ASSERT_TRUE(table.append(Rows(1)));
    EXPECT_FILE_HOLDS_TABLE(table);
}

TEST(ListingTableName, IsTheSmallestFreeNumberWhateverTheCaseOfTheNamesTaken)
{
    test::TempFolder folder;
    test::WriteFile(folder / "dyna0001.dbf", "not a table of ours");
    test::WriteFile(folder / "DYNA0003.DBF", "neither");
    fs::create_directory(folder / "dyna0004.dbf");
    test::WriteFile(folder / "dyna0002.cpg", "1252");

    ListingTable second;
    ASSERT_TRUE(second.create(Q(folder.path()) + QStringLiteral("/")));
    EXPECT_EQ(second.tableName(), "dyna0002");
    EXPECT_EQ(PathOf(second), folder / "dyna0002.dbf");
    {
        ListingTable fifth;
        ASSERT_TRUE(fifth.create(Q(folder.path())));
        EXPECT_EQ(fifth.tableName(), "dyna0005");
        EXPECT_TRUE(fs::exists(folder / "dyna0005.dbf"));
    } // the destructor closes the table and deletes its file
    EXPECT_FALSE(fs::exists(folder / "dyna0005.dbf"));

    second.close();
    EXPECT_FALSE(second.isOpen());
    EXPECT_FALSE(fs::exists(folder / "dyna0002.dbf"));
    EXPECT_EQ(second.tableName(), "");
    EXPECT_EQ(second.rowCount(), 0);
    second.close(); // nothing more to do

    // The gap is taken again; nothing of others was touched on the way.
    ListingTable again;
    ASSERT_TRUE(again.create(Q(folder.path())));
    EXPECT_EQ(again.tableName(), "dyna0002");
    EXPECT_EQ(test::ReadFile(folder / "dyna0001.dbf"), "not a table of ours");
    EXPECT_EQ(test::ReadFile(folder / "DYNA0003.DBF"), "neither");
    EXPECT_EQ(test::ReadFile(folder / "dyna0002.cpg"), "1252");
    EXPECT_TRUE(fs::is_directory(folder / "dyna0004.dbf"));
}

TEST(ListingTableName, AllNamesTakenIsAnErrorThatLeavesEveryFile)
{
    test::TempFolder folder;
    for (int number = 1; number <= 9999; ++number) {
        test::WriteFile(folder / QStringLiteral("dyna%1.dbf").arg(number, 4, 10, QLatin1Char('0')).toStdString(), "");
    }
    ListingTable table;
    EXPECT_FALSE(table.create(Q(folder.path())));
    EXPECT_FALSE(table.isOpen());
    EXPECT_TRUE(table.errorText().contains("dyna9999.dbf")) << table.errorText().toStdString();
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 9999);
    EXPECT_EQ(fs::file_size(folder / "dyna0001.dbf"), 0u);

    fs::remove(folder / "dyna9999.dbf");
    ASSERT_TRUE(table.create(Q(folder.path())));
    EXPECT_EQ(table.tableName(), "dyna9999");
}

TEST(ListingTableErrors, NoTableWhereNoFileCanBeMade)
{
    test::TempFolder folder;
    ListingTable table;
    const QString missing = Q(folder / "missing");
    EXPECT_FALSE(table.create(missing));
    EXPECT_TRUE(table.errorText().contains(missing)) << table.errorText().toStdString();
    EXPECT_TRUE(table.errorText().contains("does not exist")) << table.errorText().toStdString();
    EXPECT_FALSE(fs::exists(folder / "missing"));
    EXPECT_FALSE(table.isOpen());

    test::WriteFile(folder / "plain", "");
    EXPECT_FALSE(table.create(Q(folder / "plain")));
    EXPECT_TRUE(table.errorText().contains("does not exist"));
    EXPECT_FALSE(table.create(QString()));

    // A folder that takes no new file, even from the superuser.
    EXPECT_FALSE(table.create(QStringLiteral("/proc")));
    EXPECT_TRUE(table.errorText().contains("no file can be created")) << table.errorText().toStdString();

    // Without a table the changes do nothing and say so.
    EXPECT_FALSE(table.append(Rows(2)));
    EXPECT_FALSE(table.clear());
    EXPECT_FALSE(table.removeRow(0));
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(table.row(0), ListingRow{});
    EXPECT_EQ(table.filePath(), "");
}

TEST(ListingTableOpen, RefusesFilesThatAreNoListingTableAndLeavesThem)
{
    test::TempFolder folder;
    ListingTable table;
    EXPECT_FALSE(table.open(Q(folder / "missing.dbf")));
    EXPECT_TRUE(table.errorText().contains("no such file"));

    // Another dBASE table: other fields.
    const std::string other = (folder / "other.dbf").string();
    DBFHandle writer = DBFCreate(other.c_str());
    ASSERT_NE(writer, nullptr);
    DBFAddField(writer, "A_FIELD01", FTString, 10, 0);
    DBFWriteStringAttribute(writer, 0, 0, "keep me");
    DBFClose(writer);
    const std::string otherBytes = test::ReadFile(other);
    EXPECT_FALSE(table.open(QString::fromStdString(other)));
    EXPECT_TRUE(table.errorText().contains("fields")) << table.errorText().toStdString();
    EXPECT_FALSE(table.isOpen());
    table.close();
    EXPECT_EQ(test::ReadFile(other), otherBytes);

    // A file of another kind, beside a listing table of the same base name: the engine would take the
    // table for it, so the table read would be another file than the one opened (and deleted at close).
    {
        ListingTable source;
        ASSERT_TRUE(source.create(Q(folder.path())));
        ASSERT_TRUE(source.append(Rows(2)));
        fs::copy_file(PathOf(source), folder / "report.dbf");
    }
    test::WriteFile(folder / "report.txt", "plain text, no table");
    EXPECT_FALSE(table.open(Q(folder / "report.txt")));
    EXPECT_TRUE(table.errorText().contains("no dBASE table")) << table.errorText().toStdString();
    table.close();
    EXPECT_TRUE(fs::exists(folder / "report.txt"));
    EXPECT_TRUE(fs::exists(folder / "report.dbf"));

    // The real one opens, under whatever case its extension has, and is deleted at close.
    fs::rename(folder / "report.dbf", folder / "REPORT.DBF");
    ASSERT_TRUE(table.open(Q(folder / "REPORT.DBF"))) << table.errorText().toStdString();
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.tableName(), "REPORT");
    EXPECT_FALSE(fs::exists(folder / "REPORT.dbf"));
    ASSERT_TRUE(table.append(Rows(1)));
    EXPECT_FILE_HOLDS_TABLE(table);
    table.close();
    EXPECT_FALSE(fs::exists(folder / "REPORT.DBF"));
    EXPECT_TRUE(fs::exists(folder / "report.txt"));
}

TEST(ListingTableOpen, AFileWithRowsMarkedDeletedIsWrittenToHoldOnlyTheRest)
{
    test::TempFolder folder;
    {
        ListingTable source;
        ASSERT_TRUE(source.create(Q(folder.path())));
        ASSERT_TRUE(source.append(Rows(4)));
        fs::copy_file(PathOf(source), folder / "marked.dbf");
    }
    const std::string path = (folder / "marked.dbf").string();
    DBFHandle writer = DBFOpen(path.c_str(), "rb+");
    ASSERT_NE(writer, nullptr);
    ASSERT_TRUE(DBFMarkRecordDeleted(writer, 1, 1));
    DBFClose(writer);

    ListingTable table;
    ASSERT_TRUE(table.open(QString::fromStdString(path))) << table.errorText().toStdString();
    EXPECT_EQ(FirstValues(RowsOf(table)), (std::vector<QString>{"r0", "r2", "r3"}));
    EXPECT_FILE_HOLDS_TABLE(table);
}

TEST(ListingTableExclusive, ASecondOpenInThisProcessIsRefused)
{
    test::TempFolder folder;
    ListingTable table;
    ASSERT_TRUE(table.create(Q(folder.path())));
    ASSERT_TRUE(table.append(Rows(3)));

    ListingTable second;
    EXPECT_FALSE(second.open(table.filePath()));
    EXPECT_TRUE(second.errorText().contains("open already")) << second.errorText().toStdString();
    EXPECT_FALSE(second.isOpen());
    second.close(); // a refused open deletes nothing
    EXPECT_TRUE(fs::exists(PathOf(table)));

    // Neither does the object holding the table take another before it lets go of its own.
    EXPECT_FALSE(table.open(table.filePath()));
    EXPECT_FALSE(table.create(Q(folder.path())));
    EXPECT_TRUE(table.errorText().contains("open already"));
    EXPECT_TRUE(table.isOpen());
    ASSERT_TRUE(table.append(Rows(1)));
    EXPECT_EQ(table.rowCount(), 4);
    EXPECT_FILE_HOLDS_TABLE(table);

    const QString path = table.filePath();
    table.close();
    EXPECT_FALSE(second.open(path)) << "gone with the close";
}

TEST(ListingTableExclusive, AFileThatTookTheTablesNameIsNotDeleted)
{
    test::TempFolder folder;
    ListingTable table;
    ASSERT_TRUE(table.create(Q(folder.path())));
    const fs::path path = PathOf(table);
    fs::remove(path);
    test::WriteFile(path, "someone else's");

    EXPECT_FALSE(table.append(Rows(1))) << "the table's file is gone";
    EXPECT_FALSE(table.errorText().isEmpty());
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(test::ReadFile(path), "someone else's");
    table.close();
    EXPECT_EQ(test::ReadFile(path), "someone else's");
}

class ListingTableProcesses : public ::testing::Test {
protected:
    test::TempFolder folder;

    std::unique_ptr<test::ChildProcess> startProbe()
    {
        return std::make_unique<test::ChildProcess>(TALMERE_LISTING_TABLE_PROBE, QStringList{},
                                                    test::ChildProcessEnvironment(folder.path()));
    }

    // The probe's answer to a command, readable in a failure's message.
    static std::string ask(test::ChildProcess& probe, const QString& command)
    {
        return probe.ask(command).toStdString();
    }

    std::string created(const char* name) const { return "created " + (folder / name).string(); }
};

TEST_F(ListingTableProcesses, AnOpenInAnotherProcessIsRefusedBothWays)
{
    ListingTable table;
    ASSERT_TRUE(table.create(Q(folder.path())));
    auto other = startProbe();
    EXPECT_EQ(ask(*other, "open " + table.filePath()).rfind("refused ", 0), 0u) << other->standardError().toStdString();

    // The other process's table: refused here, its rows visible to a reader, and a name of its own for ours.
    EXPECT_EQ(ask(*other, "create " + Q(folder.path())), created("dyna0002.dbf"));
    EXPECT_EQ(ask(*other, "append 3"), "appended 3");
    ListingTable second;
    EXPECT_FALSE(second.open(Q(folder / "dyna0002.dbf")));
    EXPECT_EQ(RowsInFile(folder / "dyna0002.dbf").size(), 3u);
    table.close();
    ASSERT_TRUE(table.create(Q(folder.path())));
    EXPECT_EQ(table.tableName(), "dyna0001");
    ListingTable third;
    ASSERT_TRUE(third.create(Q(folder.path())));
    EXPECT_EQ(third.tableName(), "dyna0003");

    // A process that ends without closing leaves its file, whole, and its lock goes with it.
    other->kill();
    ASSERT_TRUE(second.open(Q(folder / "dyna0002.dbf"))) << second.errorText().toStdString();
    ASSERT_EQ(second.rowCount(), 3);
    EXPECT_EQ(second.row(2).values[0], "row 2");
    second.close();
    EXPECT_FALSE(fs::exists(folder / "dyna0002.dbf"));

    // Closed properly, the table's file goes.
    auto closing = startProbe();
    ASSERT_EQ(ask(*closing, "create " + Q(folder.path())), created("dyna0002.dbf"));
    EXPECT_EQ(ask(*closing, "close"), "closed");
    EXPECT_FALSE(fs::exists(folder / "dyna0002.dbf"));
}

TEST_F(ListingTableProcesses, AWriteThatFailsIsReportedAndTheFileKeepsTheRowsBefore)
{
    auto probe = startProbe();
    ASSERT_EQ(ask(*probe, "create " + Q(folder.path())), created("dyna0001.dbf"));
    ASSERT_EQ(ask(*probe, "append 5"), "appended 5");
    // Room for ten rows only.
    ASSERT_EQ(ask(*probe, QStringLiteral("limit %1").arg(kHeaderBytes + 10 * kRecordBytes + 1)), "limited");

    const std::string answer = ask(*probe, "append 20");
    EXPECT_EQ(answer.rfind("failed 5 Unable to write the listing table", 0), 0u) << answer;
    EXPECT_NE(answer.find("File too large"), std::string::npos) << "the system's reason: " << answer;
    const std::vector<ListingRow> rows = RowsInFile(folder / "dyna0001.dbf");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[4].values[0], "row 4");

    // What fits still goes in.
    EXPECT_EQ(ask(*probe, "append 4"), "appended 9");
    EXPECT_EQ(RowsInFile(folder / "dyna0001.dbf").size(), 9u);
    EXPECT_EQ(RowsInFile(folder / "dyna0001.dbf")[8].values[0], "row 8");
}
