// talmere-report run as scripts run it: a separate process, its exit status, its two output streams.

#include "core/AnsiText.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

using namespace talmere;
using test::ReadFile;
using test::WriteFile;

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ToolRun RunTool(const std::vector<std::string>& args, const std::filesystem::path& workingFolder = {},
                const std::string& tool = TALMERE_REPORT_TOOL)
{
    test::TempFolder streams;
    const std::string outPath = (streams / "out").string();
    const std::string errPath = (streams / "err").string();
    const pid_t child = ::fork();
    if (child == 0) {
        if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0) {
            ::_exit(127);
        }
        ::setenv("TZ", "UTC0", 1);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(tool.c_str()));
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(tool.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(outPath);
    run.err = ReadFile(errPath);
    return run;
}

class ReportTool : public ::testing::Test {
protected:
    test::TimeZone m_zone{"UTC0"};
    test::TempFolder m_folder;
};

// The lines of a tool's text output, without their ends (CR LF or LF).
QList<QByteArray> Lines(const std::string& text)
{
    QList<QByteArray> lines = QByteArray::fromStdString(text).split('\n');
    lines.removeLast();
    for (QByteArray& line : lines) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
    }
    return lines;
}

QJsonDocument ParseJson(const std::string& text)
{
    QJsonParseError error;
    QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << " in\n" << text;
    return document;
}

// The plain column list's lines as the JSON form gives them: "#", caption, alignments, width in fixed places.
std::vector<QJsonObject> PlainColumns(const std::string& format)
{
    std::vector<QJsonObject> columns;
    for (const QByteArray& line : Lines(RunTool({"columns", format}).out).mid(1)) {
        const auto text = [&](qsizetype from, qsizetype count) {
            return FromAnsi(line.mid(from, count).trimmed().toStdString());
        };
        columns.push_back({{"number", line.left(3).trimmed().toInt()},
                           {"caption", text(4, 40)},
                           {"titleAlignment", text(45, 5)},
                           {"dataAlignment", text(51, 4)},
                           {"width", line.mid(56).trimmed().toInt()}});
    }
    return columns;
}

// Checks a JSON listing against the plain listing of the same call: one object per line, in its order, with
// the file name, the sort date and time, and each captioned column's value under its caption, decoded as the
// report manager decodes the listing.
void ExpectSameListing(const std::string& plain, const std::string& json, const std::string& format)
{
    const std::vector<QJsonObject> columns = PlainColumns(format);
    const QList<QByteArray> lines = Lines(plain);
    const QJsonArray objects = ParseJson(json).array();
    ASSERT_EQ(objects.size(), lines.size()) << json;
    // JSON has control characters in strings escaped only; the parser above lets them pass.
    EXPECT_EQ(std::count_if(json.begin(), json.end(), [](char c) { return c >= 0 && c < ' ' && c != '\n'; }), 0);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i].toStdString());
        const QList<QByteArray> fields = lines[i].split('|');
        const QJsonObject object = objects[i].toObject();
        EXPECT_EQ(object.size(), static_cast<qsizetype>(2 + columns.size()));
        EXPECT_EQ(object["fileName"].toString(), FromNativePath(fields[2].toStdString()));
        const QByteArray& date = fields[0];
        EXPECT_EQ(object["reportDateTime"].toString(),
                  QString::fromLatin1(date.left(4) + "-" + date.mid(4, 2) + "-" + date.mid(6, 2) + "T" +
                                      fields[1].left(2) + ":" + fields[1].mid(2)));
        for (const QJsonObject& column : columns) {
            const QString caption = column["caption"].toString();
            EXPECT_EQ(object[caption].toString(), FromAnsi(fields.value(2 + column["number"].toInt()).toStdString()))
                << caption.toStdString();
        }
    }
}

} // namespace

TEST_F(ReportTool, PrintsTheColumnsOfAFormat)
{
    const ToolRun run = RunTool({"columns", "TEXT"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "#   Caption                                  Title Data Width\n"
                       "1   Date                                     L     L       11\n"
                       "2   Time                                     L     L        6\n"
                       "3   Description                              L     L       50\n"
                       "4   Archive File                             L     L       16\n");
}

TEST_F(ReportTool, ListsAnArchiveFolderToStandardOutput)
{
    const std::filesystem::path archive = m_folder / "TX";
    std::filesystem::create_directory(archive);
    for (const auto& entry : std::filesystem::directory_iterator(test::TestData("text/archive"))) {
        std::filesystem::copy_file(entry.path(), archive / entry.path().filename());
    }
    test::SetModificationTime(archive / "TX240307.001", {2024, 3, 7, 9, 5, 0});
    test::SetModificationTime(archive / "tx240307.002", {2024, 3, 7, 9, 5, 41});
    test::SetModificationTime(archive / "TX231231.001", {2023, 12, 31, 23, 59, 59});

    const ToolRun run = RunTool({"list", "TEXT", archive.string() + "/", "--prefix", "tx", "--desc", "Payer letters"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, ReadFile(test::TestData("text/archive.DIR")));
    EXPECT_EQ(run.err, "");
}

TEST_F(ReportTool, GivesTheColumnsAsJsonWithTheFieldsOfTheColumnList)
{
    for (const std::string format : {"TEXT", "AVAILITY_IBR", "ANSI_999"}) {
        const std::vector<QJsonObject> plain = PlainColumns(format);
        const ToolRun run = RunTool({"columns", format, "--json"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        ASSERT_GE(plain.size(), 4u) << format;
        QJsonArray expected;
        for (const QJsonObject& column : plain) {
            expected.append(column);
        }
        EXPECT_EQ(ParseJson(run.out).array(), expected) << run.out;
    }
}

TEST_F(ReportTool, GivesListingsAsJsonWithTheLinesOfThePlainListing)
{
    const std::filesystem::path archive = m_folder / "TX";
    std::filesystem::create_directory(archive);
    for (const auto& entry : std::filesystem::directory_iterator(test::TestData("text/archive"))) {
        std::filesystem::copy_file(entry.path(), archive / entry.path().filename());
    }
    // A name that is no UTF-8 still names its file; a description in Windows ANSI with characters that JSON
    // escapes is decoded, not passed on as bytes.
    std::filesystem::copy_file(archive / "TX231231.001", archive / "TX\xff\xe9.003");
    test::SetModificationTime(archive / "TX240307.001", {2024, 3, 7, 9, 5, 0});
    std::vector<std::vector<std::string>> calls = {
        {"list", "TEXT", archive.string() + "/", "--prefix", "tx", "--desc", "Caf\xe9 \x80 \"letters\" \\ \ttab"},
        {"list", "TEXT", (archive / "TX240307.001").string()}};
    if (test::SharedSamplesAvailable()) {
        // Every acknowledgment of the folder (no prefix), and one, where they are.
        calls.push_back({"list", "ANSI_997", test::SharedSample("997").string() + "/"});
        calls.push_back({"list", "ANSI_997", test::SharedSample("997/pyx12-simple1.997.base").string()});
    }
    for (std::vector<std::string> call : calls) {
        SCOPED_TRACE(call[2]);
        const ToolRun plain = RunTool(call);
        ASSERT_EQ(plain.exitCode, 0) << plain.err;
        ASSERT_NE(plain.out, "");
        call.insert(call.end(), {"--json", "-o", (m_folder / "list.json").string()});
        const ToolRun json = RunTool(call);
        EXPECT_EQ(json.exitCode, 0) << json.err;
        EXPECT_EQ(json.out + json.err, "");
        ExpectSameListing(plain.out, ReadFile(m_folder / "list.json"), call[1]);
    }

    // An empty listing is an empty array; a failed one writes nothing and keeps its status.
    std::filesystem::create_directory(m_folder / "empty");
    EXPECT_EQ(RunTool({"list", "TEXT", (m_folder / "empty").string() + "/", "--json"}).out, "[]\n");
    const ToolRun missing = RunTool({"list", "TEXT", (m_folder / "missing.txt").string(), "--json"});
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "Report file does not exist.\n");
}

TEST_F(ReportTool, AnswersAMatchAsJsonWithTheStatusAndTextOfThePlainAnswer)
{
    WriteFile(m_folder / "report.txt", "x");
    std::vector<std::vector<std::string>> calls = {{"match", "TEXT", (m_folder / "report.txt").string()}};
    if (test::SharedSamplesAvailable()) {
        calls.push_back({"match", "COPY", test::SharedSample("835/pyx12-835_simple.txt").string(), "--param",
                         "1=ANSI_835", "--param", "2=BOTH"});
    }
    for (std::vector<std::string> call : calls) {
        const ToolRun plain = RunTool(call);
        call.insert(call.end(), {"--json", "-o", (m_folder / "match.json").string()});
        const ToolRun json = RunTool(call);
        EXPECT_EQ(json.exitCode, plain.exitCode) << call[1];
        const QJsonObject answer = ParseJson(ReadFile(m_folder / "match.json")).object();
        EXPECT_EQ(answer["matched"].toBool(), plain.exitCode == 0);
        EXPECT_EQ(answer["status"].toInt(), plain.exitCode == 0 ? 80 : plain.exitCode);
        EXPECT_EQ(answer["message"].toString().toStdString() + "\n", plain.exitCode == 0 ? plain.out : plain.err);
    }
}

TEST_F(ReportTool, WritesAReportToStandardOutputOrAFile)
{
    WriteFile(m_folder / "report.txt", "line one\r\nline two\r\n");
    const ToolRun toStdout = RunTool({"report", "TEXT", (m_folder / "report.txt").string()});
    EXPECT_EQ(toStdout.exitCode, 0) << toStdout.err;
    EXPECT_EQ(toStdout.out, "line one\r\nline two\r\n");

    const ToolRun toFile =
        RunTool({"report", "TEXT", (m_folder / "report.txt").string(), "-o", (m_folder / "out.txt").string()});
    EXPECT_EQ(toFile.exitCode, 0) << toFile.err;
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(ReadFile(m_folder / "out.txt"), "line one\r\nline two\r\n");
}

TEST_F(ReportTool, ExitsWithTheLibrarysStatusAndItsTextOnStandardError)
{
    WriteFile(m_folder / "report.txt", "x");
    const ToolRun noMatch = RunTool({"match", "TEXT", (m_folder / "report.txt").string()});
    EXPECT_EQ(noMatch.exitCode, 81);
    EXPECT_EQ(noMatch.err, "This report does not meet the custom matching criteria.\n");

    const ToolRun lowerCase = RunTool({"list", "text", (m_folder / "report.txt").string()});
    EXPECT_EQ(lowerCase.exitCode, 2);
    EXPECT_EQ(lowerCase.err, "Report type not supported.\n");

    const ToolRun missing = RunTool({"report", "TEXT", (m_folder / "missing.txt").string()});
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_EQ(missing.err, "Report file does not exist.\n");
    EXPECT_EQ(missing.out, "");

    const ToolRun prearchive = RunTool({"prearchive", "TEXT", (m_folder / "report.txt").string()});
    EXPECT_EQ(prearchive.exitCode, 0);
}

TEST_F(ReportTool, HintsAtTheSeparatorWhenAFolderIsNamedWithoutIt)
{
    const ToolRun run = RunTool({"list", "TEXT", m_folder.path().string()});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.err.find("name a folder with a trailing /"), std::string::npos) << run.err;
}

TEST_F(ReportTool, LoadsTheLibraryBelowTheCurrentFolderWhenItIsNotBesideTheTool)
{
    const std::filesystem::path tool = m_folder / "bin" / "talmere-report";
    std::filesystem::create_directories(tool.parent_path());
    std::filesystem::copy_file(TALMERE_REPORT_TOOL, tool);

    const ToolRun without = RunTool({"columns", "TEXT"}, m_folder.path(), tool.string());
    EXPECT_EQ(without.exitCode, 99);
    EXPECT_NE(without.err.find("Unable to load report viewer library."), std::string::npos) << without.err;

    std::filesystem::create_directories(m_folder / "dll" / "talmrdll");
    std::filesystem::copy_file(TALMRDLL_PATH, m_folder / "dll" / "talmrdll" / "libtalmrdll.so");
    const ToolRun with = RunTool({"columns", "TEXT"}, m_folder.path(), tool.string());
    EXPECT_EQ(with.exitCode, 0) << with.err;
    EXPECT_NE(with.out.find("Archive File"), std::string::npos);
}

TEST_F(ReportTool, RefusesWhatItCannotPassOnFaithfully)
{
    EXPECT_EQ(RunTool({}).exitCode, 64);
    EXPECT_EQ(RunTool({"columns"}).exitCode, 64);
    EXPECT_EQ(RunTool({"shred", "TEXT", "x"}).exitCode, 64);
    EXPECT_EQ(RunTool({"report", "TEXT", "x", "--param", "11=v"}).exitCode, 64);
    EXPECT_EQ(RunTool({"report", "TEXT", "x", "--unknown"}).exitCode, 64);
    // The record holds 255 characters of a path; a longer one would name another file.
    const ToolRun longPath = RunTool({"report", "TEXT", "/" + std::string(300, 'p')});
    EXPECT_EQ(longPath.exitCode, 64);
    EXPECT_NE(longPath.err.find("longer than 255"), std::string::npos);
    EXPECT_EQ(RunTool({"list", "TEXT", "x/", "--prefix", "ABC"}).exitCode, 64);
    // JSON is for the calls that answer with data; the report is the report's own text.
    for (const std::string command : {"report", "prearchive"}) {
        const ToolRun json = RunTool({command, "TEXT", (m_folder / "x").string(), "--json"});
        EXPECT_EQ(json.exitCode, 64) << command;
        EXPECT_NE(json.err.find("--json is for columns, list and match"), std::string::npos) << json.err;
        EXPECT_EQ(json.out, "");
    }
    // prearchive writes nothing an -o could take.
    EXPECT_EQ(RunTool({"prearchive", "TEXT", (m_folder / "x").string(), "-o", (m_folder / "y").string()}).exitCode, 64);
}

TEST_F(ReportTool, AnswersHelpAndVersion)
{
    const ToolRun help = RunTool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("talmere-report list FORMAT PATH"), std::string::npos);
    EXPECT_NE(help.out.find("--json"), std::string::npos);
    const ToolRun version = RunTool({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("talmere-report ", 0), 0u);
}
