// Report generation for the preview and the printer: an archived report turned into the report text file by the
// built library (or a stand-in that echoes the request), and every message the user may be shown on the way.

#include "view/ReportGeneration.h"

#include "client/ReportRequests.h"
#include "tests/support/ArchiveTestSupport.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace talmere;
using test::TypeSection;
namespace fs = std::filesystem;

namespace {

std::string Configuration()
{
    return "[Report Types]\nAcks=\nLetters=\nSelected=\nSilent=\n" +
           TypeSection("Acks", {"ReportFormat=ANSI_999", "ReportDesc=Acknowledgments", "ArchivePrefix=AK",
                                "StagingDirectory=%SERVER_DIR%\\mailbox", "SearchIdent1=ISA", "SearchIdent2=ST*999",
                                "ArchiveDays=-1"}) +
           TypeSection("Letters",
                       {"ReportFormat=TEXT", "ReportDesc=Payer Letters", "ArchivePrefix=PL",
                        "StagingDirectory=%SERVER_DIR%\\mailbox", "FileNameMask=LTR*.TXT", "ArchiveDays=-1"}) +
           // The stand-in library echoes what it received for this type and leaves no report for Silent.
           TypeSection("Selected", {"ReportFormat=TEXT", "ReportDesc=Selected Claims", "ArchivePrefix=SC",
                                    "StagingDirectory=%SERVER_DIR%\\mailbox", "FileNameMask=SEL*.TXT", "ArchiveDays=-1",
                                    "Param1=ECHO", "FilterFieldDef1=Claim Number|20", "FilterFieldDef2=Patient Name|80",
                                    "FilterFieldDef3=Payer|10"}) +
           TypeSection("Silent", {"ReportFormat=TEXT", "ReportDesc=Silent Letters", "ArchivePrefix=SL",
                                  "StagingDirectory=%SERVER_DIR%\\mailbox", "FileNameMask=SIL*.TXT", "ArchiveDays=-1",
                                  "Param1=NOFILE"});
}

class ReportGeneration : public ::testing::Test {
protected:
    test::ArchiveWorld world;
    int acks = -1;
    int letters = -1;
    int selected = -1;
    int silent = -1;

    // The selection dialog: what it was shown and what it answers.
    int askCount = 0;
    std::array<TReportFilterFieldInfo, kFilterFieldCount> askedFields{};
    std::optional<FilterValues> answer;
    AskFilterValues ask = [this](const std::array<TReportFilterFieldInfo, kFilterFieldCount>& fields) {
        ++askCount;
        askedFields = fields;
        return answer;
    };

    void SetUp() override
    {
        world.writeConfiguration(Configuration());
        ASSERT_TRUE(world.load()) << world.prompts().errors().join('\n').toStdString();
        acks = world.typeIndex("Acks");
        letters = world.typeIndex("Letters");
        selected = world.typeIndex("Selected");
        silent = world.typeIndex("Silent");
        world.prompts().shown.clear();
        test::WriteFile(reportText(), "the previous report");
    }

    fs::path archive(const std::string& prefix, const std::string& name, const std::string& bytes)
    {
        return world.put(world.archive() / prefix, name, bytes);
    }
    bool generate(int type, const QString& file, bool showMessages = true)
    {
        return GenerateReportForView(world.context(), type, file, showMessages, ask);
    }
    fs::path reportText() const { return world.install() / "private" / "TALMRTMP.TXT"; }
    QStringList errors() { return world.prompts().errors(); }
    std::size_t shownCount() { return world.prompts().shown.size(); }
    void useStandInLibrary() { world.context().reportLibraryCandidates = {ECHO_REPORT_LIBRARY_PATH}; }
};

// Makes a file immutable for the life of the object, so that not even root may change its permissions. Not
// every file system or process can do that: then active() is false.
class ImmutableFile {
public:
    explicit ImmutableFile(const fs::path& path) : m_path(test::Q(path))
    {
        m_active = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), m_path}) == 0;
    }
    ~ImmutableFile()
    {
        if (m_active) {
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        }
    }
    bool active() const { return m_active; }

private:
    QString m_path;
    bool m_active = false;
};

constexpr fs::perms kReadOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;

} // namespace

TEST_F(ReportGeneration, WritesTheReportTextOfAnArchivedFileWithoutAskingOrTelling)
{
    archive("AK", "AK240229.001", test::Acknowledgment999("20240229", "0930", 77));

    // The listing may name the file in other letters than the disk does.
    ASSERT_TRUE(generate(acks, "ak240229.001"));
    const std::string text = test::ReadFile(reportText());
    EXPECT_NE(text.find("02/29/2024  09:30"), std::string::npos) << text;
    EXPECT_EQ(askCount, 0) << "a type without filter fields never asks for selection values";
    EXPECT_EQ(shownCount(), 0u);
}

TEST_F(ReportGeneration, MissingFoldersAreCritical)
{
    archive("AK", "AK240315.001", test::Acknowledgment999("20240315", "1000", 1));
    const fs::path subfolder = world.archive() / "AK";
    const fs::path parked = world.root() / "parked";

    fs::rename(subfolder, parked);
    EXPECT_FALSE(generate(acks, "AK240315.001"));
    fs::rename(parked, subfolder);

    fs::rename(world.install() / "private", parked);
    EXPECT_FALSE(generate(acks, "AK240315.001"));
    fs::rename(parked, world.install() / "private");

    world.context().folders.ReportArchiveFolder.clear();
    EXPECT_FALSE(generate(acks, "AK240315.001"));

    EXPECT_EQ(errors(), QStringList(3, kCriticalFoldersMissingMessage));
}

TEST_F(ReportGeneration, AFileGoneFromTheArchiveIsToldAndNothingElseHappens)
{
    archive("PL", "LTR1.TXT", "a letter\r\n");
    // Names that are no plain file name never reach another folder, even where a file answers to them.
    for (const QString& name : {QStringLiteral("AK240101.001"), QStringLiteral("../PL/LTR1.TXT"), QStringLiteral(""),
                                QStringLiteral("."), QStringLiteral("..")}) {
        EXPECT_FALSE(generate(acks, name)) << name.toStdString();
    }
    EXPECT_EQ(errors(), QStringList(5, kReportFileMissingMessage));
    EXPECT_EQ(test::ReadFile(reportText()), "the previous report");
}

TEST_F(ReportGeneration, AReadOnlyReportIsShownAndStaysWritableWithItsOtherPermissionsKept)
{
    const fs::path file = archive("AK", "AK240315.001", test::Acknowledgment999("20240315", "1000", 1));
    fs::permissions(file, kReadOnly);

    EXPECT_TRUE(generate(acks, "AK240315.001"));
    EXPECT_EQ(fs::status(file).permissions(), kReadOnly | fs::perms::owner_write);
    EXPECT_TRUE(generate(acks, "AK240315.001"));
    EXPECT_EQ(fs::status(file).permissions(), kReadOnly | fs::perms::owner_write);
    EXPECT_EQ(shownCount(), 0u);
}

TEST_F(ReportGeneration, AReadOnlyReportWhosePermissionsCannotChangeIsTold)
{
    const fs::path file = archive("AK", "AK240315.001", test::Acknowledgment999("20240315", "1000", 1));
    fs::permissions(file, kReadOnly);
    const ImmutableFile immutable(file);
    if (!immutable.active()) {
        GTEST_SKIP() << "this file system or process cannot make a file immutable (chattr +i)";
    }

    EXPECT_FALSE(generate(acks, "AK240315.001"));
    EXPECT_EQ(errors(), QStringList{kReadOnlyNotClearedMessage});
    EXPECT_EQ(test::ReadFile(reportText()), "the previous report");
}

TEST_F(ReportGeneration, AnEmptyReportIsTold)
{
    archive("PL", "LTR1.TXT", "");

    EXPECT_FALSE(generate(letters, "LTR1.TXT"));
    EXPECT_EQ(errors(), QStringList{kEmptyReportMessage});
}

TEST_F(ReportGeneration, ALibraryFailureIsToldWithTheReasonInBrackets)
{
    archive("AK", "AK240315.001", "this is no acknowledgment at all\r\n");
    EXPECT_FALSE(generate(acks, "AK240315.001"));

    // Written to a file that did not exist before, the stale text is gone: it is never taken for this report.
    EXPECT_FALSE(fs::exists(reportText()) && test::ReadFile(reportText()) == "the previous report");

    world.context().reportLibraryCandidates = {test::Q(world.root() / "no-library.so").toStdString()};
    EXPECT_FALSE(generate(acks, "AK240315.001"));

    // A path cut to fit the request would name another file: such a request is never sent.
    const std::string longName = std::string(240, 'L') + ".TXT";
    archive("PL", longName, "a letter\r\n");
    EXPECT_FALSE(generate(letters, QString::fromStdString(longName)));

    // A library that answers success without writing the report it promised is not believed.
    useStandInLibrary();
    archive("SL", "SIL1.TXT", "a letter\r\n");
    EXPECT_FALSE(generate(silent, "SIL1.TXT"));

    EXPECT_EQ(errors(),
              (QStringList{
                  kGenerationFailedMessage.arg("ANSI-997/999 Process Error: [Input file 'AK240315.001' is not a valid "
                                               "ANSI-997 or ANSI-999 file (missing ISA segment)]"),
                  kGenerationFailedMessage.arg(kLibraryNotLoadedText),
                  kGenerationFailedMessage.arg(kRequestPathTooLongText), kGenerationExceptionMessage}));
}

TEST_F(ReportGeneration, SelectionValuesReachTheLibraryInOrderEachCutTo80)
{
    useStandInLibrary();
    const fs::path file = archive("SC", "SEL1.TXT", "claims\r\n");
    FilterValues values;
    values[0] = "CLM-0042";
    values[1] = QString(80, 'a') + QStringLiteral("beyond");
    values[2] = "Payer One";
    values[9] = "last";
    answer = values;

    ASSERT_TRUE(generate(selected, "SEL1.TXT"));
    EXPECT_EQ(askCount, 1);
    EXPECT_EQ(askedFields[0].Name, "Claim Number");
    EXPECT_EQ(askedFields[0].Length, 20);
    EXPECT_EQ(askedFields[1].Name, "Patient Name");
    EXPECT_EQ(askedFields[2].Length, 10);
    EXPECT_TRUE(askedFields[3].Name.isEmpty());

    std::string expected =
        "report=" + file.string() + "\nvalue=CLM-0042\nvalue=" + std::string(80, 'a') + "\nvalue=Payer One\n";
    for (int i = 3; i < 9; ++i) {
        expected += "value=\n";
    }
    expected += "value=last\n";
    EXPECT_EQ(test::ReadFile(reportText()), expected);
    EXPECT_EQ(shownCount(), 0u);
}

TEST_F(ReportGeneration, CancellingTheSelectionEndsQuietlyWithoutCallingTheLibrary)
{
    useStandInLibrary();
    archive("SC", "SEL1.TXT", "claims\r\n");
    answer.reset();

    EXPECT_FALSE(generate(selected, "SEL1.TXT"));
    EXPECT_EQ(askCount, 1);
    EXPECT_EQ(shownCount(), 0u);
    EXPECT_EQ(test::ReadFile(reportText()), "the previous report");
}

TEST_F(ReportGeneration, WithoutMessagesEveryFailureOnlyAnswersFalse)
{
    archive("PL", "LTR1.TXT", "");
    archive("AK", "AK240315.001", "this is no acknowledgment at all\r\n");

    EXPECT_FALSE(generate(letters, "LTR1.TXT", false));  // empty
    EXPECT_FALSE(generate(acks, "AK240315.001", false)); // library failure
    EXPECT_FALSE(generate(acks, "AK000000.001", false)); // missing file
    EXPECT_FALSE(generate(-1, "AK240315.001", false));   // no such type
    EXPECT_FALSE(generate(acks + 100, "AK240315.001", false));
    fs::remove_all(world.install() / "private");
    EXPECT_FALSE(generate(acks, "AK240315.001", false)); // missing folder
    EXPECT_EQ(shownCount(), 0u);

    // With messages, a type that does not exist is a fault of the caller, told as an unexpected one.
    EXPECT_FALSE(generate(-1, "AK240315.001"));
    EXPECT_EQ(errors(), QStringList{kGenerationExceptionMessage});
}
