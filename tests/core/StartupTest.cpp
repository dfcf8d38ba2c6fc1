// The start up to the main window: modes, folders, the configuration copy and the hand-over, over real
// folders and settings stores.

#include "core/Startup.h"
#include "core/ProductDirectories.h"
#include "core/ProgramSettings.h"
#include "platform/InstanceChannel.h"
#include "tests/support/ProgramTestSupport.h"

#include <gtest/gtest.h>

using namespace talmere;
using test::Folder;
using test::Q;
namespace fs = std::filesystem;

namespace {

// A channel that finds a running instance or not, and records what was sent to it.
class FakeChannel final : public platform::InstanceChannel {
public:
    bool notifyRunningInstance(const QString& windowClass, const QString& title,
                               const platform::InstanceMessage& message, int showCommand) override
    {
        ++notifications;
        sentClass = windowClass;
        sentTitle = title;
        sent = message;
        sentShow = showCommand;
        return running;
    }
    bool listen(const QString&, const QString&) override { return true; }
    void setMessageReceiver(std::function<void(const platform::InstanceMessage&)>) override {}
    void setShowReceiver(std::function<void(int)>) override {}

    bool running = false;
    int notifications = 0;
    QString sentClass;
    QString sentTitle;
    platform::InstanceMessage sent;
    int sentShow = -1;
};

class Startup : public ::testing::Test {
protected:
    StartupOutcome start(const QStringList& arguments, const fs::path& programFolder)
    {
        fs::create_directories(programFolder);
        StartupEnvironment environment{arguments, Folder(programFolder), &channel,
                                       [this](const QString& text) { printed += text; }};
        return RunStartup(install.context(), environment);
    }

    ProductFolders& folders() { return install.context().folders; }
    ModeFlags& flags() { return install.context().flags; }

    test::Installation install;
    FakeChannel channel;
    QString printed;
};

} // namespace

TEST_F(Startup, LaunchedTakesTheRegisteredFoldersAndRefreshesTheConfiguration)
{
    install.createStandardLayout("[General]\nPurgeReportArchiveDays=90\n");
    test::WriteFile(install / "install" / "TALMERE.INI", "[General]\nPurgeReportArchiveDays=5\nstale copy\n");

    ASSERT_EQ(start({"/TAMSEN"}, install / "program"), StartupOutcome::HandOver);
    EXPECT_TRUE(install.prompts().shown.empty());
    EXPECT_EQ(folders().ServerDirectory, Folder(install / "server"));
    EXPECT_EQ(folders().InstallDirectory, Folder(install / "install"));
    EXPECT_EQ(folders().DataDirectory, Folder(install / "data"));
    EXPECT_EQ(folders().ProgramDirectory, Folder(install / "program"));
    EXPECT_TRUE(fs::is_directory(install / "install" / "private"));
    EXPECT_FALSE(flags().StandaloneOperation);
    EXPECT_FALSE(flags().BypassAccessChecks);
    // The settings come from the fresh copy.
    EXPECT_EQ(test::ReadFile(install / "install" / "TALMERE.INI"), "[General]\nPurgeReportArchiveDays=90\n");
    EXPECT_EQ(install.context().settings.PurgeReportArchiveDays, 90);
    // Nobody else runs: the channel was asked with this instance's context.
    EXPECT_EQ(channel.sentClass, "TApplication");
    EXPECT_EQ(channel.sentTitle, "Qorva Report Manager");

    // The product may ask for single-user operation, and name itself.
    test::WriteFile(install / "install" / "QORVA32.INI", "[General]\nProductName=Acme\nBypassUserMonitoring=1\n");
    install.restart();
    ASSERT_EQ(start({"/TAMSEN"}, install / "program"), StartupOutcome::HandOver);
    EXPECT_TRUE(flags().BypassAccessChecks);
    EXPECT_EQ(channel.sentTitle, "Acme Report Manager");
}

TEST_F(Startup, LaunchedWithoutTheRegisteredFoldersShowsThemInLowerCaseAndEnds)
{
    fs::create_directories(install / "Install");
    install.registerFolders(nullptr, (Q(install / "Install") + "/Ws\\").toUtf8().constData(), "");

    ASSERT_EQ(start({"/tamsen"}, install / "program"), StartupOutcome::End);
    ASSERT_EQ(install.prompts().errors().size(), 1);
    EXPECT_EQ(install.prompts().errors().front(),
              "Access to critical program or database files is not currently available. Expected directory paths "
              "are:\r\n\r\n   Server = \r\n   Data = \r\n   Install = " +
                  (Q(install / "Install") + "/ws/").toLower() +
                  "\r\n\r\nIf this problem persists after several attempts, please report it to your distributor. "
                  "This program will now be terminated.");
    EXPECT_EQ(channel.notifications, 0);

    // An empty install folder value: nothing after "Install = ".
    test::Installation other;
    fs::create_directories(other / "data");
    other.registerFolders(nullptr, "", Folder(other / "data").toUtf8().constData());
    StartupEnvironment environment{{"/TAMSEN"}, Folder(other / "data"), nullptr, {}};
    ASSERT_EQ(RunStartup(other.context(), environment), StartupOutcome::End);
    EXPECT_TRUE(other.prompts().errors().front().contains("   Install = \r\n\r\nIf this problem"));
}

TEST_F(Startup, AnEmptyServerFolderIsTheParentOfTheDataFolder)
{
    fs::create_directories(install / "Q" / "DATA");
    fs::create_directories(install / "ws");
    test::WriteFile(install / "Q" / "TALMERE.INI", "[General]\n");
    install.registerFolders("", Folder(install / "ws").toUtf8().constData(),
                            (Q(install / "Q") + "\\DATA").toUtf8().constData());

    ASSERT_EQ(start({"/TAMSEN"}, install / "program"), StartupOutcome::HandOver);
    EXPECT_EQ(folders().ServerDirectory, Folder(install / "Q"));
    EXPECT_EQ(folders().DataDirectory, Folder(install / "Q" / "DATA"));
    EXPECT_TRUE(fs::exists(install / "ws" / "TALMERE.INI"));

    // A data folder without a parent fails.
    install.registerFolders("", Folder(install / "ws").toUtf8().constData(), "DATA");
    ASSERT_EQ(start({"/TAMSEN"}, install / "program"), StartupOutcome::End);
    EXPECT_TRUE(install.prompts().errors().back().startsWith("Access to critical program"));
}

TEST_F(Startup, NotLaunchedKeepsTheRegistrationOnlyWhenRunFromTheRegisteredInstallFolder)
{
    install.createStandardLayout();
    ASSERT_EQ(start({}, install / "install"), StartupOutcome::HandOver);
    EXPECT_FALSE(flags().StandaloneOperation);
    EXPECT_EQ(folders().ServerDirectory, Folder(install / "server"));
    EXPECT_TRUE(fs::exists(install / "install" / "TALMERE.INI"));

    // From anywhere else the program works in its own folder alone, silently, without any copy.
    install.restart();
    ASSERT_EQ(start({"/EXCLUSIVE"}, install / "elsewhere" / "bin"), StartupOutcome::HandOver);
    EXPECT_TRUE(install.prompts().shown.empty());
    EXPECT_TRUE(flags().StandaloneOperation);
    EXPECT_TRUE(flags().BypassAccessChecks);
    const QString program = Folder(install / "elsewhere" / "bin");
    EXPECT_EQ(QStringList({folders().ServerDirectory, folders().InstallDirectory, folders().DataDirectory}),
              QStringList({program, program, program}));
    EXPECT_TRUE(fs::is_directory(install / "elsewhere" / "bin" / "private"));
    EXPECT_FALSE(fs::exists(install / "elsewhere" / "bin" / "TALMERE.INI"));
}

TEST_F(Startup, WithoutAnyRegistrationTheProgramRunsStandaloneInItsOwnFolder)
{
    fs::create_directories(install / "prog" / "PRIVATE");
    ASSERT_EQ(start({}, install / "prog"), StartupOutcome::HandOver);
    EXPECT_TRUE(flags().StandaloneOperation);
    EXPECT_TRUE(flags().BypassAccessChecks);
    // An existing private folder is found whatever its case.
    EXPECT_EQ(folders().PrivateDirectory, Folder(install / "prog" / "PRIVATE"));
    EXPECT_FALSE(fs::exists(install / "prog" / "private"));
}

TEST_F(Startup, AMissingMasterConfigurationEndsTheStart)
{
    install.createStandardLayout();
    fs::remove(install / "server" / "TALMERE.INI");
    ASSERT_EQ(start({"/TAMSEN"}, install / "program"), StartupOutcome::End);
    EXPECT_EQ(install.prompts().errors(),
              QStringList{"Unable to retrieve configuration settings from the server installation directory. If this "
                          "problem persists after several attempts, please report it to your distributor. This "
                          "program will now be terminated."});
    EXPECT_EQ(channel.notifications, 0);
}

TEST_F(Startup, TheConfigurationIsFoundWithoutRegardToCaseAndNeverCopiedOntoItself)
{
    install.createStandardLayout();
    fs::rename(install / "server" / "TALMERE.INI", install / "server" / "talmere.ini");
    test::WriteFile(install / "server" / "talmere.ini", "[General]\nPurgeReportArchiveDays=7\n");
    ASSERT_EQ(start({"/TAMSEN"}, install / "program"), StartupOutcome::HandOver);
    EXPECT_EQ(install.context().settings.PurgeReportArchiveDays, 7);

    // The install folder is the server folder under another name: the master stays as it is.
    fs::remove_all(install / "install");
    fs::create_directory_symlink(install / "server", install / "install");
    install.restart();
    ASSERT_EQ(start({"/TAMSEN"}, install / "program"), StartupOutcome::HandOver);
    EXPECT_EQ(test::ReadFile(install / "server" / "talmere.ini"), "[General]\nPurgeReportArchiveDays=7\n");
    EXPECT_EQ(install.context().settings.PurgeReportArchiveDays, 7);
}

TEST_F(Startup, ARunningInstanceGetsTheContextAndTheStartEnds)
{
    install.createStandardLayout();
    channel.running = true;
    ASSERT_EQ(start({"/TAMSEN", "/1500_ONLY"}, install / "program"), StartupOutcome::End);
    EXPECT_EQ(channel.sent, (platform::InstanceMessage{3024, 0, 2}));
    EXPECT_EQ(channel.sentShow, 1);

    install.restart();
    ASSERT_EQ(start({"/SILENTARCHIVE"}, install / "program"), StartupOutcome::End);
    EXPECT_EQ(channel.sent, (platform::InstanceMessage{3024, 0, 3}));
}

TEST_F(Startup, TheReportArchiveFolderLiesBelowTheServerUnlessItIsAbsolute)
{
    install.createStandardLayout();
    ApplicationContext& context = install.context();
    context.folders.ServerDirectory = Folder(install / "server");
    const auto resolve = [&](const QString& setting) {
        context.settings.ReportArchiveDirectory = setting;
        return ResolveReportArchiveFolder(context) ? context.folders.ReportArchiveFolder : QString("failed");
    };

    EXPECT_EQ(resolve("Arctalmr"), Folder(install / "server" / "Arctalmr"));
    EXPECT_TRUE(fs::is_directory(install / "server" / "Arctalmr"));
    EXPECT_EQ(resolve("\\\\Reports\\Arc"), Folder(install / "server" / "Reports" / "Arc"));
    EXPECT_EQ(resolve("\\ \\arctalmr"), Folder(install / "server" / "Arctalmr")); // found without regard to case
    EXPECT_EQ(resolve(""), Folder(install / "server"));
    EXPECT_EQ(resolve(Q(install / "elsewhere" / "arc")), Folder(install / "elsewhere" / "arc"));
    EXPECT_TRUE(install.prompts().shown.empty());

    // Below a file no folder can be made.
    test::WriteFile(install / "server" / "file", "");
    EXPECT_EQ(resolve("file\\Arc"), "failed");
    EXPECT_EQ(install.prompts().errors(),
              QStringList{"Unable to create report archive folder \"" + Q(install / "server" / "file") +
                          "/Arc/\". The report viewer program will now be terminated."});
}
