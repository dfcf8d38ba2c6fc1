// talmere-report run as scripts run it: a separate process, its exit status, its two output streams.

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

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
}

TEST_F(ReportTool, AnswersHelpAndVersion)
{
    const ToolRun help = RunTool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("talmere-report list FORMAT PATH"), std::string::npos);
    const ToolRun version = RunTool({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("talmere-report ", 0), 0u);
}
