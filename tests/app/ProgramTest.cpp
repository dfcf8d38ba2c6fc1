// The talmere program itself, started as a user or the product would start it, without a display.

#include "platform/InstanceChannel.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramTestSupport.h"

#include <QLocalSocket>

#include <gtest/gtest.h>

using namespace talmere;
using test::ChildProcess;
using test::Folder;
using test::Q;
namespace fs = std::filesystem;

namespace {

struct Finished {
    int exitCode = -1;
    QString output;
    QString errors;
};

class Program : public ::testing::Test {
protected:
    Finished run(const QString& program, const QStringList& arguments)
    {
        ChildProcess child(program, arguments, install.processEnvironment());
        Finished finished;
        finished.exitCode = child.waitForExit();
        finished.output = child.standardOutput();
        finished.errors = child.standardError();
        return finished;
    }
    Finished talmere(const QStringList& arguments) { return run(TALMERE_PROGRAM, arguments); }

    std::unique_ptr<ChildProcess> startHost(const QStringList& arguments)
    {
        auto host = std::make_unique<ChildProcess>(TALMERE_SHELL_HOST, arguments, install.processEnvironment());
        return host;
    }

    // A copy of the program and its report library in a folder of its own, as an installation would have
    // it, with a report configuration of one type.
    QString installCopy(const fs::path& folder)
    {
        fs::create_directories(folder / "mailbox");
        fs::copy_file(TALMERE_PROGRAM, folder / "talmere");
        fs::copy_file(TALMRDLL_PATH, folder / "libtalmrdll.so");
        test::WriteFile(folder / "TALMERE.INI", "[Report Types]\nLetters=\n[Report Details - Letters]\n"
                                                "ReportDesc=Letters\nArchivePrefix=LT\n"
                                                "StagingDirectory=%INSTALL_DIR%\\mailbox\nFileNameMask=*.TXT\n");
        return Q(folder / "talmere");
    }

    test::Installation install;
};

const QString kStartupComplete = "start-up complete";

} // namespace

TEST_F(Program, WithoutADisplayItsMessagesGoToStandardErrorAndItEndsWithZero)
{
    const Finished invalid = talmere({"/TAMSEN", "/bogus"});
    EXPECT_EQ(invalid.exitCode, 0);
    EXPECT_TRUE(invalid.errors.contains("Qorva Report Manager: Error: An invalid command line parameter has been "
                                        "specified. This program will now be terminated.\n"))
        << invalid.errors.toStdString();

    const Finished help = talmere({"--Help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.output.startsWith("Usage: talmere [switch]...")) << help.output.toStdString();
    const Finished version = talmere({"--version", "/bogus"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, "talmere " TALMERE_VERSION "\n");
}

TEST_F(Program, LaunchedWithoutItsFoldersItNamesThemAndEnds)
{
    install.registerFolders("", "/No/Such/Install", "/No/Such/Data\\");
    const Finished finished = talmere({"--tamsen"});
    EXPECT_EQ(finished.exitCode, 0);
    EXPECT_TRUE(finished.errors.contains("Expected directory paths are:\n\n   Server = /no/such/\n"
                                         "   Data = /no/such/data/\n   Install = /no/such/install/\n\n"
                                         "If this problem persists"))
        << finished.errors.toStdString();
    EXPECT_FALSE(finished.errors.contains(kStartupComplete));
}

TEST_F(Program, StartedByHandOutsideTheInstallationItWorksInItsOwnFolder)
{
    install.createStandardLayout();
    const QString program = installCopy(install / "standalone");
    test::WriteFile(install / "standalone" / "QORVA32.INI", "[General]\nProductName=Acme\n");
    const Finished finished = run(program, {"/EXCLUSIVE"});
    EXPECT_EQ(finished.exitCode, 0);
    EXPECT_TRUE(finished.errors.contains("Acme Report Manager: " + kStartupComplete)) << finished.errors.toStdString();
    EXPECT_TRUE(fs::is_directory(install / "standalone" / "private"));
    EXPECT_FALSE(fs::exists(install / "install" / "TALMERE.INI"));
    EXPECT_FALSE(fs::exists(install / "server" / "QRUSER.CTL"));
}

TEST_F(Program, ASecondStartHandsItsContextToTheRunningInstanceAndEnds)
{
    install.createStandardLayout();
    auto running = startHost({"/TAMSEN"});
    ASSERT_EQ(running->readLine(), "ready Qorva Report Manager");

    // Another product name is another program: it does not find this one.
    const QString other = installCopy(install / "other");
    test::WriteFile(install / "other" / "QORVA32.INI", "[General]\nProductName=Other\n");
    EXPECT_TRUE(run(other, {}).errors.contains("Other Report Manager: " + kStartupComplete));

    const Finished second = talmere({"/TAMSEN", "/1500_ONLY"});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_FALSE(second.errors.contains(kStartupComplete)) << second.errors.toStdString();
    EXPECT_EQ(running->readLine(), "message 3024 0 2");
    EXPECT_EQ(running->readLine(), "show 1");
    EXPECT_EQ(running->waitForExit(), 0);
}

TEST_F(Program, ASilentArchiveRunLeavesTheWorkToTheRunningInstanceEvenAfterACrash)
{
    install.createStandardLayout();
    // An instance that died leaves its channel behind; the next one takes the name over.
    auto crashed = startHost({"/TAMSEN", "/UB92_ONLY"});
    ASSERT_EQ(crashed->readLine(), "ready Qorva Report Manager");
    crashed->kill();
    auto running = startHost({"/TAMSEN"});
    ASSERT_EQ(running->readLine(), "ready Qorva Report Manager");

    const Finished silent = talmere({"/SILENTARCHIVE", "/TAMSEN"});
    EXPECT_EQ(silent.exitCode, 0);
    EXPECT_FALSE(silent.errors.contains(kStartupComplete));
    EXPECT_EQ(running->readLine(), "message 3024 0 3");
    EXPECT_EQ(running->readLine(), "show 1");
}

TEST_F(Program, WhatIsNoMessageOnTheChannelIsIgnored)
{
    install.createStandardLayout();
    auto running = startHost({"/TAMSEN"});
    ASSERT_EQ(running->readLine(), "ready Qorva Report Manager");

    test::ScopedEnvironment runtime("XDG_RUNTIME_DIR", (install / "runtime").c_str());
    const QString name = platform::LocalInstanceChannelName("TApplication", "Qorva Report Manager");
    const auto send = [&](const QByteArray& bytes) {
        QLocalSocket socket;
        socket.connectToServer(name);
        ASSERT_TRUE(socket.waitForConnected(5000));
        socket.write(bytes);
        socket.waitForBytesWritten(5000);
        socket.disconnectFromServer();
        if (socket.state() != QLocalSocket::UnconnectedState) {
            socket.waitForDisconnected(5000);
        }
    };
    send("HELLO\nPOST 3024 x 1\nPOST 3024 0\nSHOW\nPOST 1 2 3 4\n\n");
    send(QByteArray(5000, 'A'));
    send("POST 3024 0 1\nSHOW 1\n");
    EXPECT_EQ(running->readLine(), "message 3024 0 1");
    EXPECT_EQ(running->readLine(), "show 1");
    EXPECT_EQ(running->waitForExit(), 0);
}
