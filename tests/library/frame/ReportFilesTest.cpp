#include "library/frame/ReportFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace talmere;

namespace {

// Every line ReadTextLine gives until the end of the file.
std::vector<std::string> Lines(std::string_view content)
{
    test::TempFolder folder;
    test::WriteFile(folder / "in.txt", content);
    ReportInputFile file;
    EXPECT_TRUE(file.open(folder / "in.txt"));
    std::vector<std::string> lines;
    while (!file.atEnd()) {
        ReadTextLine(file, lines.emplace_back());
    }
    return lines;
}

} // namespace

TEST(ReadTextLine, SplitsAtLineFeedsAndDropsCarriageReturns)
{
    EXPECT_EQ(Lines("one\r\ntwo\nthree"), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(Lines("one\r\n\r\n"), (std::vector<std::string>{"one", ""}));
    EXPECT_EQ(Lines("a\rb\rc\r"), (std::vector<std::string>{"abc"}));
    EXPECT_TRUE(Lines("").empty());
}

TEST(ReadTextLine, CtrlZEndsTheFile)
{
    EXPECT_EQ(Lines("one\r\ntw\x1Ao\r\nthree\r\n"), (std::vector<std::string>{"one", "tw"}));
    EXPECT_TRUE(Lines("\x1A"
                      "after")
                    .empty());
}

TEST(ReadTextLine, LongLinesComeInPiecesOf8192)
{
    const std::string longLine(8192 * 2 + 5, 'x');
    const std::vector<std::string> lines = Lines(longLine + "\r\nnext\r\n");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].size(), 8192u);
    EXPECT_EQ(lines[1].size(), 8192u);
    EXPECT_EQ(lines[2], "xxxxx");
    EXPECT_EQ(lines[3], "next");

    // Exactly 8192 characters: the line feed that follows is read as an empty line of its own.
    EXPECT_EQ(Lines(std::string(8192, 'y') + "\nz").size(), 3u);

    // Carriage returns do not count towards the 8192.
    std::string withReturns;
    for (int i = 0; i < 8192; ++i) {
        withReturns += "y\r";
    }
    EXPECT_EQ(Lines(withReturns + "\n"), (std::vector<std::string>{std::string(8192, 'y'), ""}));
}

TEST(ReadTextLine, ALineEndsAtItsFirstNulButIsReadToItsEnd)
{
    EXPECT_EQ(Lines(std::string("ab\0cd\r\nef", 9)), (std::vector<std::string>{"ab", "ef"}));
    // Characters after the NUL still count towards the 8192 of one piece.
    std::string line = "a" + std::string(1, '\0') + std::string(8195, 'b') + "\n";
    EXPECT_EQ(Lines(line), (std::vector<std::string>{"a", "bbbbb"}));
}

TEST(ReportInputFile, RefusesFoldersAndMissingFiles)
{
    test::TempFolder folder;
    ReportInputFile file;
    EXPECT_FALSE(file.open(folder.path()));
    EXPECT_FALSE(file.open(folder / "missing"));
    EXPECT_EQ(file.get(), ReportInputFile::kEnd);
    const std::filesystem::path pipe = folder / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(file.open(pipe)); // would block forever if opened for reading
}

TEST(ReportInputFile, ReadsAcrossItsBufferWithoutLosingBytes)
{
    test::TempFolder folder;
    std::string content;
    for (int i = 0; i < 700000; ++i) {
        content.push_back(static_cast<char>('A' + i % 26));
    }
    test::WriteFile(folder / "big", content);
    ReportInputFile file;
    ASSERT_TRUE(file.open(folder / "big"));
    std::string read;
    for (int c = file.get(); c != ReportInputFile::kEnd; c = file.get()) {
        read.push_back(static_cast<char>(c));
    }
    EXPECT_EQ(read, content);
    EXPECT_FALSE(file.failed());
}

TEST(ReportInputFile, OneObjectReadsFileAfterFileWithoutLeftovers)
{
    // A listing reads thousands of files through one object and its one buffer: what one file left unread,
    // or what stood beyond a Ctrl-Z, must never show up in the next.
    test::TempFolder folder;
    test::WriteFile(folder / "big", std::string(300000, 'B'));
    test::WriteFile(folder / "stopped", "ab\x1A" + std::string(1000, 'Z'));
    test::WriteFile(folder / "small", "xy");
    test::WriteFile(folder / "empty", "");
    ReportInputFile file;
    const auto readAll = [&file](const std::filesystem::path& path, std::size_t most) {
        EXPECT_TRUE(file.open(path));
        std::string read;
        for (int c = file.get(); c != ReportInputFile::kEnd && read.size() < most; c = file.get()) {
            read.push_back(static_cast<char>(c));
        }
        return read;
    };
    EXPECT_EQ(readAll(folder / "big", 10), std::string(10, 'B'));
    EXPECT_EQ(readAll(folder / "small", 100), "xy");
    EXPECT_EQ(readAll(folder / "stopped", 100), "ab");
    EXPECT_EQ(readAll(folder / "empty", 100), "");
    EXPECT_EQ(readAll(folder / "small", 100), "xy");
    EXPECT_FALSE(file.open(folder / "missing"));
    EXPECT_EQ(file.get(), ReportInputFile::kEnd);
}

namespace {

// Everything the file gives through get() until its end.
std::string ReadAll(ReportInputFile& file)
{
    std::string read;
    for (int c = file.get(); c != ReportInputFile::kEnd; c = file.get()) {
        read.push_back(static_cast<char>(c));
    }
    return read;
}

} // namespace

TEST(ReportInputFile, OpensByNameInAFolderHeldOpenAsByPath)
{
    test::TempFolder folder;
    // Around the buffer's size, where the end of a file is told from a read that fell short.
    const std::vector<std::size_t> sizes{0, 1, 262143, 262144, 262145, 524288};
    for (std::size_t size : sizes) {
        test::WriteFile(folder / ("F" + std::to_string(size)), std::string(size, 'k'));
    }
    const ReportFolder opened(folder.path());
    ReportInputFile file;
    for (std::size_t size : sizes) {
        ASSERT_TRUE(file.open(opened, "F" + std::to_string(size)));
        EXPECT_EQ(ReadAll(file).size(), size);
        EXPECT_FALSE(file.failed());
    }
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    std::filesystem::create_directory(folder / "sub");
    for (const char* name : {"missing", "sub", "pipe"}) {
        EXPECT_FALSE(file.open(opened, name)) << name;
        EXPECT_TRUE(file.missing()) << name;
        EXPECT_EQ(file.get(), ReportInputFile::kEnd);
    }
    // A folder that cannot be held open still lists: its files are opened by their paths.
    const ReportFolder vanished(folder / "vanished");
    EXPECT_FALSE(file.open(vanished, "F1"));
    EXPECT_TRUE(file.missing());
}

TEST(ReportInputFile, ReadsWhatAFileGainedAfterItWasOpened)
{
    // The size at the open only spares the last read; bytes added meanwhile are still read.
    test::TempFolder folder;
    test::WriteFile(folder / "growing", "start");
    ReportInputFile file;
    ASSERT_TRUE(file.open(folder / "growing"));
    test::WriteFile(folder / "growing", "start" + std::string(300000, 'g'));
    EXPECT_EQ(ReadAll(file).size(), 300005u);

    test::WriteFile(folder / "empty", "");
    ASSERT_TRUE(file.open(folder / "empty"));
    test::WriteFile(folder / "empty", "filled");
    EXPECT_EQ(ReadAll(file), "filled");
}

TEST(ReportOutputFile, SmallAndLargePiecesReachTheFileInTheirOrder)
{
    // Small pieces are gathered, large ones written directly: what is gathered must go first.
    test::TempFolder folder;
    std::string expected;
    {
        ReportOutputFile out;
        ASSERT_TRUE(out.create(folder / "out"));
        for (std::size_t size : {5u, 40000u, 3u, 70000u, 1u, 262144u, 262143u, 100000u, 2u, 300000u}) {
            const std::string piece(size, static_cast<char>('a' + expected.size() % 26));
            out.write(piece);
            expected += piece;
        }
        out.writeLine("last");
        expected += "last\r\n";
        out.close();
    }
    EXPECT_EQ(test::ReadFile(folder / "out"), expected);
}

TEST(ReportOutputFile, CutsAfterWhatWasGatheredAndKeepsWhatWasNotClosed)
{
    test::TempFolder folder;
    {
        ReportOutputFile out;
        ASSERT_TRUE(out.create(folder / "cut"));
        out.write("keep this");
        out.write(std::string(50000, 'd'));
        out.write("and that");
        out.truncate(4);
        out.write(" going on");
        out.close();
    }
    EXPECT_EQ(test::ReadFile(folder / "cut"), "keep going on");
    {
        // An output given up on by an exception still holds what was written to it.
        ReportOutputFile out;
        ASSERT_TRUE(out.create(folder / "abandoned"));
        out.writeLine("first line");
    }
    EXPECT_EQ(test::ReadFile(folder / "abandoned"), "first line\r\n");
}

TEST(ReportOutputFile, ReportsAFileThatCannotBeCreated)
{
    test::TempFolder folder;
    ReportOutputFile out;
    EXPECT_FALSE(out.create(folder / "missing" / "out.txt"));
    EXPECT_THROW(out.write("x"), ReportOutputError);
}

namespace {

// Runs the body in a child process whose files may not grow beyond limitBytes, the way a full disk stops a
// write; answers the child's exit code.
template <typename Body>
int WithFileSizeLimit(rlim_t limitBytes, Body body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{limitBytes, limitBytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(ReportOutputFile, ADiskThatFillsUpIsAnErrorNotSilence)
{
    test::TempFolder folder;
    const std::filesystem::path path = folder / "out.txt";
    const int code = WithFileSizeLimit(4096, [&] {
        try {
            ReportOutputFile out;
            if (!out.create(path)) {
                return 2;
            }
            for (int i = 0; i < 1000; ++i) {
                out.writeLine("a line of report text that will not fit");
            }
            out.close();
            return 0;
        } catch (const ReportOutputError&) {
            return 1;
        }
    });
    EXPECT_EQ(code, 1);
}

TEST(CopyFileReplacing, ReplacesOnlyWithACompleteCopy)
{
    test::TempFolder folder;
    test::WriteFile(folder / "source", std::string(20000, 's'));
    test::WriteFile(folder / "target", "earlier report");

    const int code =
        WithFileSizeLimit(8192, [&] { return CopyFileReplacing(folder / "source", folder / "target") ? 0 : 1; });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(test::ReadFile(folder / "target"), "earlier report");
    // No half-written file is left behind.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"source", "target"}));

    EXPECT_TRUE(CopyFileReplacing(folder / "source", folder / "target"));
    EXPECT_EQ(test::ReadFile(folder / "target"), std::string(20000, 's'));
}
