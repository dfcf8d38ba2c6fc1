// Registration in the user control file and the archive lock, between real processes.

#include "core/UserAccess.h"
#include "core/Startup.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramTestSupport.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace talmere;
using test::ChildProcess;
using test::Folder;
namespace fs = std::filesystem;

namespace {

const QString kUserAccessError = "User Access Error: [%1]. Contact your system administrator if the problem "
                                 "persists. The program will now terminate.";

class UserAccess : public ::testing::Test {
protected:
    UserAccess()
    {
        fs::create_directories(install / "server");
        context().folders.ServerDirectory = Folder(install / "server");
    }

    ApplicationContext& context() { return install.context(); }

    std::unique_ptr<ChildProcess> startProbe()
    {
        return std::make_unique<ChildProcess>(TALMERE_ACCESS_PROBE, QStringList{Folder(install / "server")},
                                              install.processEnvironment());
    }

    test::Installation install;
};

} // namespace

TEST_F(UserAccess, SlotsAreTakenInOrderAndFreedWhenTheirHolderEnds)
{
    auto first = startProbe();
    ASSERT_EQ(first->ask("register"), "registered 1");
    // Created with the alphabet, again and again, over 200 bytes.
    const std::string created = test::ReadFile(install / "server" / "QRUSER.CTL");
    ASSERT_EQ(created.size(), 200u);
    EXPECT_EQ(created.substr(0, 30), "ABCDEFGHIJKLMNOPQRSTUVWXYZABCD");
    EXPECT_EQ(created.substr(182), "ABCDEFGHIJKLMNOPQR");
    auto second = startProbe();
    ASSERT_EQ(second->ask("register"), "registered 2");
    first.reset(); // ends (and unregisters) before the next one starts
    auto third = startProbe();
    EXPECT_EQ(third->ask("register"), "registered 1");

    ASSERT_TRUE(RegisterUser(context()));
    EXPECT_EQ(context().userAccess.slot, 3);
    EXPECT_TRUE(install.prompts().shown.empty());
    UnregisterUser(context());
    EXPECT_FALSE(context().userAccess.file.isOpen());
    EXPECT_EQ(third->ask("unregister"), "unregistered");
    EXPECT_EQ(startProbe()->ask("register"), "registered 1");
}

TEST_F(UserAccess, AProgramWithExclusiveSystemAccessKeepsEveryoneOut)
{
    auto product = startProbe();
    ASSERT_EQ(product->ask("register"), "registered 1");
    ASSERT_EQ(product->ask("hold 1"), "held");

    EXPECT_FALSE(RegisterUser(context()));
    EXPECT_EQ(install.prompts().errors(),
              QStringList{kUserAccessError.arg("Exclusive access has been granted to another user")});
    EXPECT_FALSE(context().userAccess.file.isOpen());
    EXPECT_EQ(AcquireArchiveLock(context(), 0), kAccessUnknownError); // not registered
}

TEST_F(UserAccess, TheArchiveLockNestsAndKeepsOtherProcessesOutUntilTheOutermostRelease)
{
    auto other = startProbe();
    ASSERT_EQ(other->ask("register"), "registered 1");
    ASSERT_TRUE(RegisterUser(context()));

    EXPECT_EQ(AcquireArchiveLock(context(), 0), 0);
    EXPECT_EQ(AcquireArchiveLock(context(), 10), 0); // nested: at once, whatever the wait
    EXPECT_EQ(context().userAccess.archiveLockNesting, 2);
    EXPECT_EQ(other->ask("acquire 0"), "acquired -5");
    ReleaseArchiveLock(context());
    EXPECT_EQ(other->ask("acquire 0"), "acquired -5");
    ReleaseArchiveLock(context());
    EXPECT_EQ(context().userAccess.archiveLockNesting, 0);
    EXPECT_EQ(other->ask("acquire 0"), "acquired 0");

    EXPECT_EQ(AcquireArchiveLock(context(), 0), kAccessExclusiveElsewhere);
    EXPECT_EQ(context().userAccess.archiveLockNesting, 0);
    // A release too many does no harm.
    ReleaseArchiveLock(context());
    EXPECT_EQ(context().userAccess.archiveLockNesting, 0);
    EXPECT_EQ(other->ask("release"), "released");
    EXPECT_EQ(AcquireArchiveLock(context(), 0), 0);
}

TEST_F(UserAccess, AProcessThatDiesLeavesNoLockBehind)
{
    auto crashing = startProbe();
    ASSERT_EQ(crashing->ask("register"), "registered 1");
    ASSERT_EQ(crashing->ask("acquire 0"), "acquired 0");
    crashing->kill();

    ASSERT_TRUE(RegisterUser(context()));
    EXPECT_EQ(context().userAccess.slot, 1);
    EXPECT_EQ(AcquireArchiveLock(context(), 0), 0);
}

TEST_F(UserAccess, TheArchiveLockIsWaitedForUpToTheTimeOut)
{
    auto other = startProbe();
    ASSERT_EQ(other->ask("register"), "registered 1");
    ASSERT_EQ(other->ask("acquire 0"), "acquired 0");
    ASSERT_TRUE(RegisterUser(context()));

    QElapsedTimer waited;
    waited.start();
    EXPECT_EQ(AcquireArchiveLock(context(), 1), kAccessExclusiveElsewhere);
    EXPECT_GE(waited.elapsed(), 1000);
    EXPECT_LT(waited.elapsed(), 5000);
    EXPECT_GT(install.prompts().pendingEventCalls, 10); // the user interface went on meanwhile

    // A lock given up during the wait is taken.
    EXPECT_EQ(other->ask("release"), "released");
    ASSERT_EQ(other->ask("holdfor 7 400"), "held");
    waited.restart();
    EXPECT_EQ(AcquireArchiveLock(context(), 5), 0);
    EXPECT_LT(waited.elapsed(), 4000);
    EXPECT_EQ(other->readLine(), "dropped");
    ReleaseArchiveLock(context());
}

TEST_F(UserAccess, TheControlByteIsWaitedForAFixedNumberOfTimes)
{
    auto other = startProbe();
    ASSERT_EQ(other->ask("register"), "registered 1");
    ASSERT_EQ(other->ask("hold 0"), "held");

    EXPECT_FALSE(RegisterUser(context()));
    EXPECT_EQ(install.prompts().errors(), QStringList{kUserAccessError.arg("Unable to access user control file")});
    // Twenty attempts here, with the user interface served between two of them.
    EXPECT_EQ(install.prompts().pendingEventCalls, 19);
}

TEST_F(UserAccess, EveryFailureHasItsOwnText)
{
    // All slots taken.
    auto crowd = startProbe();
    ASSERT_EQ(crowd->ask("register"), "registered 1");
    ASSERT_EQ(crowd->ask("hold 22 178"), "held");
    EXPECT_FALSE(RegisterUser(context()));
    EXPECT_EQ(install.prompts().errors().back(),
              kUserAccessError.arg("The maximum number of concurrent users has been reached"));

    // The file cannot be created: no server folder.
    context().folders.ServerDirectory = Folder(install / "missing");
    EXPECT_FALSE(RegisterUser(context()));
    EXPECT_EQ(install.prompts().errors().back(), kUserAccessError.arg("Unable to create user control file"));
    EXPECT_FALSE(fs::exists(install / "missing"));

    // Something that is no file stands under its name.
    fs::create_directories(install / "odd" / "QRUSER.CTL");
    context().folders.ServerDirectory = Folder(install / "odd");
    EXPECT_FALSE(RegisterUser(context()));
    EXPECT_EQ(install.prompts().errors().back(), kUserAccessError.arg("Unable to access user control file"));
    EXPECT_EQ(AccessResultText(-99), "Unknown access control error");
}

TEST_F(UserAccess, ExclusiveOperationNeverTouchesTheFile)
{
    install.createStandardLayout();
    fs::create_directories(install / "program");
    const StartupEnvironment environment{{"/TAMSEN", "/EXCLUSIVE"}, Folder(install / "program"), nullptr, {}};
    ASSERT_EQ(RunStartup(context(), environment), StartupOutcome::HandOver);
    EXPECT_TRUE(context().flags.BypassAccessChecks);
    EXPECT_TRUE(RegisterUser(context()));
    EXPECT_EQ(AcquireArchiveLock(context(), 0), 0);
    EXPECT_EQ(AcquireArchiveLock(context(), 0), 0);
    ReleaseArchiveLock(context());
    ReleaseArchiveLock(context());
    UnregisterUser(context());
    EXPECT_FALSE(fs::exists(install / "server" / "QRUSER.CTL"));
    EXPECT_TRUE(install.prompts().shown.empty());
}

TEST_F(UserAccess, AnExistingFileIsUsedWhateverItsCaseAndNeverRewritten)
{
    test::WriteFile(install / "server" / "qruser.ctl", std::string(300, 'z'));
    ASSERT_TRUE(RegisterUser(context()));
    EXPECT_EQ(context().userAccess.slot, 1);
    EXPECT_FALSE(fs::exists(install / "server" / "QRUSER.CTL"));
    EXPECT_EQ(test::ReadFile(install / "server" / "qruser.ctl"), std::string(300, 'z'));
}
