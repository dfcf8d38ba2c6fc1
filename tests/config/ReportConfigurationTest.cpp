// The report configuration: TALMERE.INI's report types with their defaults, the claim context, every
// message of its validation, the library's list columns and the context rule of the action types.

#include "config/ReportConfiguration.h"
#include "tests/support/ArchiveTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <sstream>

using namespace talmere;
using test::TypeSection;
namespace fs = std::filesystem;

namespace {

const std::string kEnd = " The report viewer program will now be terminated.";

class ReportConfiguration : public ::testing::Test {
protected:
    const TReportConfigInfoRecord& type(const char* name)
    {
        return world.context().reportTypes.at(world.typeIndex(QString::fromLatin1(name))).info;
    }
    // The configuration of one report type made of the given lines, loaded: the only error shown, or "".
    std::string errorOf(const std::string& types, const std::string& sections)
    {
        world.writeConfiguration("[Report Types]\n" + types + sections);
        world.prompts().shown.clear();
        const bool loaded = world.load();
        const QStringList errors = world.prompts().errors();
        EXPECT_EQ(loaded, errors.isEmpty());
        EXPECT_LE(errors.size(), 1);
        return errors.isEmpty() ? std::string() : errors.front().toStdString();
    }

    test::ArchiveWorld world;
};

// A valid report type, with lines added or replacing its own (a line "Key=" empties a key).
std::string Report(const std::string& name, const std::string& prefix, const std::vector<std::string>& extra = {})
{
    std::vector<std::string> lines = {"ReportDesc=" + name, "ArchivePrefix=" + prefix,
                                      "StagingDirectory=%SERVER_DIR%\\mailbox", "FileNameMask=*.TXT"};
    for (const std::string& line : extra) {
        const std::string key = line.substr(0, line.find('=') + 1);
        const auto same =
            std::find_if(lines.begin(), lines.end(), [&](const std::string& own) { return own.rfind(key, 0) == 0; });
        if (same != lines.end()) {
            *same = line;
        } else {
            lines.push_back(line);
        }
    }
    return TypeSection(name, lines);
}

} // namespace

TEST_F(ReportConfiguration, TypesKeepTheirFileOrderDefaultsAndTheLibrarysColumns)
{
    fs::create_directories(world.root() / "other");
    world.installation().programStore().setValue("Reports/Acks", "ArchiveDays", "30");
    world.installation().programStore().setValue("Reports/Acks", "ReportPrinter", "Laser 2");
    world.context().settings.PurgeReportArchiveDays = 90;
    world.context().settings.EnableCopyOrMoveBasedOnContext = false;
    world.writeConfiguration(
        "[Report Types]\nLetters=\nAcks=value is not used\nRouting=\n" +
        TypeSection("Letters",
                    {"ReportContext=ub92", "ReportDesc=Payer Letters", "ArchivePrefix=pl", "FileNameMask=LTR*.TXT",
                     "StagingDirectory= \"%SERVER_DIR%\\mailbox\" ;" + (world.root() / "missing").string(),
                     "PointSize=12", "Font=", "FilterFieldDef1= Patient Name |30", "FilterFieldDef2=no bar",
                     "ContextCopyMove=yes"}) +
        TypeSection("Acks",
                    {"ReportFormat=ansi_999", "ReportDesc=Acknowledgments", "ArchivePrefix=AK", "SearchIdent1=ISA",
                     "Orientation=landscape", "StagingDirectory=%SERVER_DIR%\\MAILBOX", "ArchiveDays=365"}) +
        TypeSection("Routing", {"ReportFormat=COPY", "FileNameMask=CUSTOM", "StagingDirectory=%SERVER_DIR%\\mailbox",
                                "DestinationDirectory=" + (world.root() / "other").string(), "ArchivePrefix=toolong"}));
    ASSERT_TRUE(world.load());
    EXPECT_TRUE(world.prompts().shown.empty());
    const ReportTypeList& types = world.context().reportTypes;
    ASSERT_EQ(types.size(), 3u);
    EXPECT_EQ(types[0].name, "Letters");
    EXPECT_EQ(types[2].name, "Routing");

    const TReportConfigInfoRecord& letters = type("Letters");
    EXPECT_EQ(letters.ReportFormat, "TEXT");
    EXPECT_EQ(letters.ReportContext, "UB92");
    EXPECT_EQ(letters.ReportLoadMethod, "PLAIN");
    EXPECT_EQ(letters.ArchivePrefix, "PL");
    EXPECT_EQ(letters.ArchiveDays, "90");
    EXPECT_TRUE(letters.ContextCopyMove);
    EXPECT_EQ(letters.Font, "");
    EXPECT_EQ(letters.HeaderTitlePointSize, "12");
    EXPECT_EQ(letters.FooterPointSize, "12");
    EXPECT_EQ(letters.Orientation, "PORTRAIT");
    EXPECT_EQ(letters.MarginLeftMM, "20");
    EXPECT_EQ(letters.HeaderSeparation, "6");
    EXPECT_EQ(letters.FooterSeparation, "4");
    // The folder that exists is kept, resolved and ending in the separator; the missing one is dropped.
    EXPECT_EQ(letters.StagingDirectory, test::Folder(world.mailbox()));
    EXPECT_EQ(letters.FilterFields[0].Name, "Patient Name");
    EXPECT_EQ(letters.FilterFields[0].Length, 30);
    EXPECT_EQ(letters.FilterFields[1].Name, "");
    EXPECT_EQ(letters.FilterFields[1].Length, 0);
    EXPECT_EQ(letters.Columns[2].Caption, "Description");
    EXPECT_EQ(letters.Columns[2].Width, 50);
    EXPECT_EQ(letters.Columns[4].Caption, "");

    const TReportConfigInfoRecord& acks = type("Acks");
    EXPECT_EQ(acks.Font, "Courier New");
    EXPECT_EQ(acks.Orientation, "LANDSCAPE");
    EXPECT_FALSE(acks.ContextCopyMove);
    // The user's preferences win over the file.
    EXPECT_EQ(acks.ArchiveDays, "30");
    EXPECT_EQ(acks.ReportPrinter, "Laser 2");
    EXPECT_EQ(acks.Columns[3].Caption, "Status");
    EXPECT_EQ(acks.Columns[3].TitleAlignment, kAlignCenter);
    EXPECT_EQ(acks.Columns[7].Caption, "Included");
    EXPECT_EQ(acks.Columns[7].DataAlignment, kAlignRight);
    EXPECT_EQ(acks.Columns[10].Caption, "Archive File");
    EXPECT_EQ(acks.Columns[11].Caption, "");

    // Action types have no columns, no archive subfolder, and their prefix is not checked.
    const TReportConfigInfoRecord& routing = type("Routing");
    EXPECT_EQ(routing.Columns[0].Caption, "");
    EXPECT_EQ(routing.DestinationDirectory, test::Folder(world.root() / "other"));
    EXPECT_EQ(test::FileNames(world.archive()), std::vector<std::string>{});
    EXPECT_TRUE(fs::is_directory(world.archive() / "PL"));
    EXPECT_TRUE(fs::is_directory(world.archive() / "AK"));
    EXPECT_FALSE(fs::exists(world.archive() / "TOOLONG"));

    FreeReportConfiguration(world.context());
    EXPECT_TRUE(world.context().reportTypes.empty());
}

TEST_F(ReportConfiguration, OnlyTheTypesOfTheShownClaimContextsAreLoaded)
{
    const std::string types = "[Report Types]\nInst=\nProf=\nAll=\nBoth=\n";
    const std::string sections = Report("Inst", "IN", {"ReportContext=UB92"}) +
                                 Report("Prof", "PR", {"ReportContext=1500"}) +
                                 Report("All", "AL", {"ReportContext=ALL"}) + Report("Both", "BO");
    world.context().flags.IncludeProfessionalReports = false;
    world.writeConfiguration(types + sections);
    ASSERT_TRUE(world.load());
    ASSERT_EQ(world.context().reportTypes.size(), 2u);
    EXPECT_EQ(world.context().reportTypes[0].name, "Inst");
    EXPECT_EQ(world.context().reportTypes[1].name, "Both");

    // A hidden type still needs its section.
    world.writeConfiguration(types + Report("Inst", "IN") + Report("All", "AL") + Report("Both", "BO"));
    EXPECT_FALSE(world.load());
    EXPECT_EQ(world.prompts().errors().back().toStdString(),
              "Unable to locate report details section \"[Report Details - Prof]\" in the report configuration file "
              "(TALMERE.INI)." +
                  kEnd);
    EXPECT_TRUE(world.context().reportTypes.empty());
}

TEST_F(ReportConfiguration, EveryErrorStopsTheLoadWithItsText)
{
    fs::remove(world.install() / "TALMERE.INI");
    world.prompts().shown.clear();
    EXPECT_FALSE(world.load());
    EXPECT_EQ(world.prompts().errors().front().toStdString(),
              "Unable to locate the report configuration file (TALMERE.INI)." + kEnd);

    struct Case {
        std::string types;
        std::string sections;
        std::string error;
    };
    const std::string tag = " [Report Type = A].";
    const std::string in = " in the report configuration file (TALMERE.INI).";
    const std::vector<Case> cases = {
        {"", "", "At least one report type must be specified in the report configuration file (TALMERE.INI)."},
        {"A=\nB=\na=\n", Report("A", "AA") + Report("B", "BB"),
         "Duplicate report type [a] in the report configuration file (TALMERE.INI)."},
        {"A=\n", Report("A", "AA", {"ReportDesc="}), "Missing report description" + in + tag},
        {"A=\nB=\n", Report("A", "AA", {"ReportDesc=Same"}) + Report("B", "BB", {"ReportDesc=same"}),
         "Duplicate report description \"same\" in the report configuration file (TALMERE.INI)."},
        {"A=\n", Report("A", "AA", {"ReportLoadMethod=html"}), "Invalid or missing report load method" + in + tag},
        {"A=\n", Report("A", "", {}), "Missing report archive prefix" + in + tag},
        // No full stop of its own: the closing bracket meets the termination notice.
        {"A=\n", Report("A", "abc"),
         "Invalid report archive prefix length in the report configuration file (TALMERE.INI). [Prefix = ABC]"},
        {"A=\nB=\n", Report("A", "ab") + Report("B", "AB"),
         "Duplicate report archive prefix [AB] in the report configuration file (TALMERE.INI)."},
        {"A=\n", Report("A", "AA", {"FilterFieldDef1=Patient|20", "FilterFieldDef2=Payer|120"}),
         "Invalid or missing filter field definition" + in + tag},
        {"A=\n", Report("A", "AA", {"FilterFieldDef4=|12"}), "Invalid or missing filter field definition" + in + tag},
        {"A=\n", Report("A", "AA", {"ArchiveDays=-2"}), "Invalid report archive days" + in + tag},
        {"A=\n", Report("A", "AA", {"PointSize=3"}),
         "Invalid report point size in the report configuration file (TALMERE.INI)." + tag},
        {"A=\n", Report("A", "AA", {"HeaderTitlePointSize=65"}),
         "Invalid report header title point size in the report configuration file (TALMERE.INI)." + tag},
        {"A=\n", Report("A", "AA", {"HeaderSubTitlePointSize=x"}),
         "Invalid report header subtitle point size in the report configuration file (TALMERE.INI)." + tag},
        {"A=\n", Report("A", "AA", {"FooterPointSize=0"}),
         "Invalid report footer point size in the report configuration file (TALMERE.INI)." + tag},
        {"A=\n", Report("A", "AA", {"Orientation=SIDEWAYS"}), "Invalid report orientation" + in + tag},
        {"A=\n", Report("A", "AA", {"MarginTopMM=101"}), "Invalid report top margin" + in + tag},
        {"A=\n", Report("A", "AA", {"MarginRightMM=-1"}), "Invalid report right margin" + in + tag},
        {"A=\n", Report("A", "AA", {"HeaderSubTitleSeparation=31"}),
         "Invalid report header subtitle separation" + in + tag},
        {"A=\n", Report("A", "AA", {"FooterSeparation=51"}), "Invalid report footer separation" + in + tag},
        {"A=\n", TypeSection("A", {"ReportFormat=DELETE", "StagingDirectory=%SERVER_DIR%\\mailbox"}),
         "Invalid report identification parameters in the report configuration file (TALMERE.INI). The filename "
         "mask or at least one search string must be specified." +
             tag},
        {"A=\n",
         TypeSection("A", {"ReportFormat=copy", "FileNameMask=*.*", "StagingDirectory=%SERVER_DIR%\\mailbox",
                           "DestinationDirectory=%SERVER_DIR%\\Mailbox\\", "CopyMethod=SHORT"}),
         "Staging and destination directories are the same" + in + tag},
        {"A=\n",
         TypeSection("A", {"ReportFormat=COPY", "FileNameMask=*.*", "StagingDirectory=%SERVER_DIR%\\mailbox",
                           "DestinationDirectory=%SERVER_DIR%", "CopyMethod=FAST"}),
         "Invalid copy method" + in + tag},
        {"A=\n",
         TypeSection("A", {"ReportFormat=MOVE", "FileNameMask=*.*", "StagingDirectory=%SERVER_DIR%\\mailbox",
                           "DestinationDirectory=%SERVER_DIR%", "MoveMethod=LONG"}),
         "Invalid move method" + in + tag},
        // Unknown formats are the library's to refuse, with the type named.
        {"A=\n", Report("A", "AA", {"ReportFormat=PDF"}), "Report type not supported." + tag},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(errorOf(c.types, c.sections), c.error + kEnd) << c.sections;
        EXPECT_TRUE(world.context().reportTypes.empty());
    }
}

TEST_F(ReportConfiguration, APrefixThatWouldLeadOutOfItsArchiveSubfolderStopsTheLoad)
{
    const std::string tail = "] in the report configuration file (TALMERE.INI). The prefix names the report archive "
                             "subfolder and must not hold a path separator, a dot or a control character. "
                             "[Report Type = A].";
    const std::pair<std::string, std::string> refused[] = {
        {"..", ".."},
        {"./", "./"},
        {"/.", "/."},
        {"a/", "A/"},
        {"\\b", "\\B"},
        {"x.", "X."},
        {"\x01"
         "A",
         "<0x01>A"},
        {"A\x7f", "A<0x7F>"},
        // A byte of the configuration's code page that stands for no character is a control character too.
        {"B\x81", "B<0x81>"},
        {"C\x1b", "C<0x1B>"},
    };
    const auto everything = [this] {
        std::vector<fs::path> paths;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(world.root())) {
            paths.push_back(entry.path());
        }
        std::sort(paths.begin(), paths.end());
        return paths;
    };
    world.writeConfiguration("[Report Types]\n");
    const std::vector<fs::path> before = everything();
    for (const auto& [prefix, shown] : refused) {
        EXPECT_EQ(errorOf("A=\n", Report("A", prefix)), "Invalid report archive prefix [" + shown + tail + kEnd)
            << shown;
        EXPECT_TRUE(world.context().reportTypes.empty());
    }
    // No folder was made for any of them, inside the report archive folder or outside it.
    EXPECT_EQ(everything(), before);

    // Action types have no archive subfolder: their prefix is not looked at.
    EXPECT_EQ(errorOf("A=\nR=\n", Report("A", "AA") +
                                      TypeSection("R", {"ReportFormat=DELETE", "ArchivePrefix=..", "FileNameMask=*.TMP",
                                                        "StagingDirectory=%SERVER_DIR%\\mailbox"})),
              "");

    // Every other printable character still makes a prefix, the archive subfolder being named by it.
    for (const std::string prefix : {"A1", "9z", "#$", "-_", "&!", "~@", "A\xe9", "\xa0Q"}) {
        EXPECT_EQ(errorOf("A=\n", Report("A", prefix)), "") << prefix;
        const QString folder = ArchiveSubfolder(world.context(), 0);
        EXPECT_TRUE(folder.startsWith(test::Folder(world.archive()))) << folder.toStdString();
        EXPECT_TRUE(fs::is_directory(folder.toStdString())) << folder.toStdString();
    }
}

TEST_F(ReportConfiguration, FilterFieldDefinitionsKeepWhatTheyGiveUpToLengthEighty)
{
    EXPECT_EQ(errorOf("A=\n", Report("A", "AA",
                                     {"FilterFieldDef1=Claim Number|-5", "FilterFieldDef2=Payer|80",
                                      "FilterFieldDef3=A name longer than twenty-four|12", "FilterFieldDef5=|x"})),
              "");
    const TReportConfigInfoRecord& a = type("A");
    // A negative length is no reason to refuse the configuration: it is kept as written.
    EXPECT_EQ(a.FilterFields[0].Name, "Claim Number");
    EXPECT_EQ(a.FilterFields[0].Length, -5);
    EXPECT_EQ(a.FilterFields[1].Length, 80);
    EXPECT_EQ(a.FilterFields[2].Name, "A name longer than twent");
    EXPECT_EQ(a.FilterFields[2].Length, 12);
    // No name and a length that is no integer: an entry not in use.
    EXPECT_EQ(a.FilterFields[4].Name, "");
    EXPECT_EQ(a.FilterFields[4].Length, 0);
}

TEST_F(ReportConfiguration, UnusableFoldersWarnAndTheLoadGoesOnUnlessADeleteTypeMustNotRunBlind)
{
    const std::string copy =
        TypeSection("Route", {"ReportFormat=MOVE", "FileNameMask=*.X12", "StagingDirectory=%SERVER_DIR%\\mailbox",
                              "DestinationDirectory=%SERVER_DIR%\\posting"});
    const std::string noStaging = TypeSection("Quiet", {"ReportDesc=Quiet", "ArchivePrefix=QT", "FileNameMask=*.*"});
    EXPECT_EQ(errorOf("Quiet=\nRoute=\n", noStaging + copy), "");
    const auto& shown = world.prompts().shown;
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, "warning");
    EXPECT_EQ(shown[0].text, "The staging directory for report type Quiet in the report configuration file "
                             "(TALMERE.INI) is invalid or does not exist. This report type will not be processed. "
                             "[Dir = '']");
    EXPECT_EQ(shown[1].text, "The destination directory for the MOVE report type Route in the report configuration "
                             "file (TALMERE.INI) is invalid or does not exist. This action report type will not be "
                             "processed. [Dir = '" +
                                 test::Folder(world.server() / "posting") + "']");
    EXPECT_EQ(type("Quiet").StagingDirectory, "");
    EXPECT_EQ(type("Route").DestinationDirectory, "");

    // With a DELETE type anywhere, a rejected destination is fatal.
    const std::string purge =
        TypeSection("Purge", {"ReportFormat=DELETE", "FileNameMask=*.TMP", "StagingDirectory=%SERVER_DIR%\\mailbox"});
    EXPECT_EQ(errorOf("Purge=\nRoute=\n", purge + copy),
              "You must correct the reported invalid or missing COPY/MOVE destination directory problems before the "
              "report files can be safely processed." +
                  kEnd);
    EXPECT_EQ(world.prompts().shown.front().kind, "warning");

    // Checks stop at the first error: a later type's folders are not even looked at.
    EXPECT_EQ(errorOf("Bad=\nQuiet=\n", Report("Bad", "BA", {"Orientation=X"}) + noStaging),
              "Invalid report orientation in the report configuration file (TALMERE.INI). [Report Type = Bad]." + kEnd);
    EXPECT_EQ(world.prompts().shown.size(), 1u);
}

TEST_F(ReportConfiguration, TheLibraryAndTheArchiveFolderMustBeThere)
{
    world.context().reportLibraryCandidates = {(world.root() / "nowhere.so").string()};
    EXPECT_EQ(errorOf("A=\n", Report("A", "AA")), "Unable to load report viewer library." + kEnd);

    world.context().reportLibraryCandidates = {TALMRDLL_PATH};
    test::WriteFile(world.archive() / "AA", "a file where the subfolder belongs");
    EXPECT_EQ(errorOf("A=\n", Report("A", "AA")),
              "Unable to create the report archive subfolder [" + (world.archive() / "AA").string() + "]." + kEnd);
}

TEST_F(ReportConfiguration, ActionTypesOfOneClaimContextWaitForItsRecentPreparation)
{
    world.writeConfiguration(
        "[Report Types]\nInst=\nProf=\nBoth=\n" +
        TypeSection("Inst", {"ReportFormat=COPY", "ReportContext=UB92", "FileNameMask=*.*",
                             "StagingDirectory=%SERVER_DIR%\\mailbox", "DestinationDirectory=%SERVER_DIR%\\archive"}) +
        TypeSection("Prof", {"ReportFormat=MOVE", "ReportContext=1500", "FileNameMask=*.*",
                             "StagingDirectory=%SERVER_DIR%\\mailbox", "ContextCopyMove=N",
                             "DestinationDirectory=%SERVER_DIR%\\archive"}) +
        TypeSection("Both", {"ReportFormat=COPY", "FileNameMask=*.*", "StagingDirectory=%SERVER_DIR%\\mailbox",
                             "DestinationDirectory=%SERVER_DIR%\\archive"}));
    ASSERT_TRUE(world.load());
    ApplicationContext& context = world.context();
    const long today = DayNumber(2024, 3, 15);
    context.settings.ContextCopyOrMoveRecentDays = 60;

    // Nothing known: every type works.
    EXPECT_EQ(LastPrepareDateTest(context, "UB92"), today);
    EXPECT_FALSE(ContextSkip(context, 0));

    const auto claims = [&](const std::string& ub92, const std::string& p1500) {
        test::WriteFile(world.server() / "QORVA32.INI",
                        "[Claim]\nLastUB92PrepareDate=" + ub92 + "\nLast1500PrepareDate=" + p1500 + "\n");
    };
    claims(std::to_string(today - 60), "0");
    EXPECT_EQ(LastPrepareDateTest(context, "UB92"), today - 60);
    EXPECT_EQ(LastPrepareDateTest(context, "1500"), 0);
    EXPECT_FALSE(ContextSkip(context, 0));
    // Only the other kind prepared recently: the UB92 type leaves its files alone.
    claims(std::to_string(today - 61), std::to_string(today - 3));
    EXPECT_EQ(LastPrepareDateTest(context, "UB92"), 0);
    EXPECT_TRUE(ContextSkip(context, 0));
    // A type that does not ask for the rule, or a BOTH type, is never held back.
    EXPECT_FALSE(ContextSkip(context, 1));
    EXPECT_FALSE(ContextSkip(context, 2));
    // Neither kind recently (or dates that are no numbers): every type works.
    claims("x", std::to_string(today - 100));
    EXPECT_EQ(LastPrepareDateTest(context, "1500"), today);
    EXPECT_FALSE(ContextSkip(context, 0));
    // With one context shown only, the rule does not apply.
    claims("0", std::to_string(today));
    EXPECT_TRUE(ContextSkip(context, 0));
    context.flags.IncludeProfessionalReports = false;
    EXPECT_FALSE(ContextSkip(context, 0));
}

// The administrator's manual lists every key of a report type with its default. Each key it names is read under
// that name, each default is what a type without the key gets, and no key the loader reads is missing from it.
TEST_F(ReportConfiguration, TheManualsReportKeysAreTheOnesTheProgramReadsWithTheirDefaults)
{
    const std::string manual = test::ReadFile(TALMERE_ADMIN_MANUAL);
    const std::size_t begin = manual.find("<!-- report-keys -->");
    const std::size_t end = manual.find("<!-- /report-keys -->");
    ASSERT_NE(begin, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    // Every name in backquotes of a cell; "`Name1` … `Name5`" stands for the five numbered keys.
    const auto quoted = [](const std::string& cell) {
        std::vector<std::string> names;
        for (std::size_t open = cell.find('`'); open != std::string::npos; open = cell.find('`', open)) {
            const std::size_t close = cell.find('`', open + 1);
            names.push_back(cell.substr(open + 1, close - open - 1));
            open = close + 1;
        }
        if (names.size() == 2 && cell.find("…") != std::string::npos) {
            const std::string stem = names[0].substr(0, names[0].size() - 1);
            const int last = std::stoi(names[1].substr(stem.size()));
            names.clear();
            for (int i = 1; i <= last; ++i) {
                names.push_back(stem + std::to_string(i));
            }
        }
        return names;
    };
    std::map<std::string, std::string> documented; // key: its default as the manual writes it, "" for none
    std::istringstream rows(manual.substr(begin, end - begin));
    for (std::string row; std::getline(rows, row);) {
        if (row.rfind("| `", 0) != 0) {
            continue;
        }
        const std::size_t keysEnd = row.find(" | ", 2);
        const std::size_t defaultEnd = row.find(" | ", keysEnd + 3);
        ASSERT_NE(defaultEnd, std::string::npos) << row;
        const std::vector<std::string> defaults = quoted(row.substr(keysEnd + 3, defaultEnd - keysEnd - 3));
        for (const std::string& key : quoted(row.substr(2, keysEnd - 2))) {
            documented[key] = defaults.empty() ? std::string() : defaults.front();
        }
    }

    using Field = std::function<std::string(const TReportConfigInfoRecord&)>;
    struct Key {
        Field field;
        std::string other;     // a valid value unlike the default
        std::string otherAs;   // how the type holds it
        bool required = false; // part of every test section, so its default cannot be seen
    };
    const auto text = [](QString TReportConfigInfoRecord::*member) {
        return Field([member](const TReportConfigInfoRecord& r) { return (r.*member).toStdString(); });
    };
    const auto yesNo = [](bool TReportConfigInfoRecord::*member) {
        return Field([member](const TReportConfigInfoRecord& r) { return std::string(r.*member ? "1" : "0"); });
    };
    fs::create_directories(world.root() / "elsewhere");
    const std::string elsewhere = (world.root() / "elsewhere").string();
    std::map<std::string, Key> keys = {
        {"ReportContext", {text(&TReportConfigInfoRecord::ReportContext), "ub92", "UB92"}},
        {"ReportFormat", {text(&TReportConfigInfoRecord::ReportFormat), "ansi_999", "ANSI_999"}},
        {"ReportLoadMethod", {text(&TReportConfigInfoRecord::ReportLoadMethod), "rtf", "RTF"}},
        {"ReportDesc", {text(&TReportConfigInfoRecord::ReportDesc), "Other", "Other", true}},
        {"StagingDirectory",
         {text(&TReportConfigInfoRecord::StagingDirectory), elsewhere,
          test::Folder(world.root() / "elsewhere").toStdString(), true}},
        {"DestinationDirectory", {text(&TReportConfigInfoRecord::DestinationDirectory), "D", "D"}},
        {"ArchivePrefix", {text(&TReportConfigInfoRecord::ArchivePrefix), "zq", "ZQ", true}},
        {"ArchiveDays", {text(&TReportConfigInfoRecord::ArchiveDays), "-1", "-1"}},
        {"ContextCopyMove", {yesNo(&TReportConfigInfoRecord::ContextCopyMove), "no", "0"}},
        {"Font", {text(&TReportConfigInfoRecord::Font), "Liberation Sans", "Liberation Sans"}},
        {"PointSize", {text(&TReportConfigInfoRecord::PointSize), "7", "7"}},
        {"HeaderTitleCaption", {text(&TReportConfigInfoRecord::HeaderTitleCaption), "T", "T"}},
        {"HeaderTitlePointSize", {text(&TReportConfigInfoRecord::HeaderTitlePointSize), "7", "7"}},
        {"HeaderSubTitleCaption", {text(&TReportConfigInfoRecord::HeaderSubTitleCaption), "S", "S"}},
        {"HeaderSubTitlePointSize", {text(&TReportConfigInfoRecord::HeaderSubTitlePointSize), "7", "7"}},
        {"PrintFooter", {yesNo(&TReportConfigInfoRecord::PrintFooter), "y", "1"}},
        {"FooterPointSize", {text(&TReportConfigInfoRecord::FooterPointSize), "7", "7"}},
        {"Orientation", {text(&TReportConfigInfoRecord::Orientation), "landscape", "LANDSCAPE"}},
        {"CopyMethod", {text(&TReportConfigInfoRecord::CopyMethod), "short", "SHORT"}},
        {"MoveMethod", {text(&TReportConfigInfoRecord::MoveMethod), "short_unique", "SHORT_UNIQUE"}},
        {"MarginTopMM", {text(&TReportConfigInfoRecord::MarginTopMM), "7", "7"}},
        {"MarginBottomMM", {text(&TReportConfigInfoRecord::MarginBottomMM), "7", "7"}},
        {"MarginLeftMM", {text(&TReportConfigInfoRecord::MarginLeftMM), "7", "7"}},
        {"MarginRightMM", {text(&TReportConfigInfoRecord::MarginRightMM), "7", "7"}},
        {"HeaderSeparation", {text(&TReportConfigInfoRecord::HeaderSeparation), "7", "7"}},
        {"HeaderSubTitleSeparation", {text(&TReportConfigInfoRecord::HeaderSubTitleSeparation), "7", "7"}},
        {"FooterSeparation", {text(&TReportConfigInfoRecord::FooterSeparation), "7", "7"}},
        {"FileNameMask", {text(&TReportConfigInfoRecord::FileNameMask), "*.ACK", "*.ACK", true}},
    };
    for (int i = 0; i < kSearchIdentCount; ++i) {
        keys["SearchIdent" + std::to_string(i + 1)] = {
            [i](const TReportConfigInfoRecord& r) { return r.SearchIdent[i].toStdString(); }, "ISA", "ISA"};
    }
    for (int i = 0; i < kParamCount; ++i) {
        keys["Param" + std::to_string(i + 1)] = {
            [i](const TReportConfigInfoRecord& r) { return r.Param[i].toStdString(); }, "ascii", "ascii"};
    }
    for (int i = 0; i < kFilterFieldCount; ++i) {
        keys["FilterFieldDef" + std::to_string(i + 1)] = {
            [i](const TReportConfigInfoRecord& r) {
                const TReportFilterFieldInfo& f = r.FilterFields[i];
                return f.Name.isEmpty() ? std::string() : f.Name.toStdString() + "|" + std::to_string(f.Length);
            },
            "Claim|9", "Claim|9"};
    }
    std::set<std::string> documentedKeys;
    for (const auto& entry : documented) {
        documentedKeys.insert(entry.first);
    }
    std::set<std::string> knownKeys;
    for (const auto& entry : keys) {
        knownKeys.insert(entry.first);
    }
    EXPECT_EQ(documentedKeys, knownKeys);

    ASSERT_EQ(errorOf("Acks=\n", Report("Acks", "AK")), "");
    const TReportConfigInfoRecord defaults = type("Acks");
    for (const auto& [key, spec] : keys) {
        if (documented.count(key) == 0) {
            continue;
        }
        const std::string& written = documented.at(key);
        // A default naming another key is that key's value: the type's own, or the [General] one.
        std::string expected = written;
        if (keys.count(written) != 0) {
            expected = keys.at(written).field(defaults);
        } else if (written == "PurgeReportArchiveDays") {
            expected = std::to_string(world.context().settings.PurgeReportArchiveDays);
        } else if (written == "EnableCopyOrMoveBasedOnContext") {
            expected = world.context().settings.EnableCopyOrMoveBasedOnContext ? "1" : "0";
        }
        if (!spec.required) {
            EXPECT_EQ(spec.field(defaults), expected) << key << ": the manual's default";
        }
        EXPECT_NE(spec.field(defaults), spec.otherAs) << key;
        ASSERT_EQ(errorOf("Acks=\n", Report("Acks", "AK", {key + "=" + spec.other})), "") << key;
        EXPECT_EQ(spec.field(type("Acks")), spec.otherAs) << key << " is not read under that name";
    }
}
