// talmere --init-server as a process: a new server folder from the example configuration, registered so that
// a scheduled archive run works on it at once, and never a second time over an existing configuration.

#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

using namespace talmere;
using test::Q;
namespace fs = std::filesystem;

namespace {

class ServerSetup : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(root / "runtime");
        fs::permissions(root / "runtime", fs::perms::owner_all);
    }
    struct Finished {
        int exitCode = -1;
        std::string output;
        std::string errors;
    };
    Finished talmere(const QStringList& arguments)
    {
        QProcessEnvironment environment = test::ChildProcessEnvironment(root.path());
        environment.insert("XDG_DATA_HOME", Q(root / "data"));
        test::ChildProcess child(TALMERE_PROGRAM, arguments, environment);
        Finished finished;
        finished.exitCode = child.waitForExit();
        finished.output = child.standardOutput().toStdString();
        finished.errors = child.standardError().toStdString();
        return finished;
    }
    fs::path server() const { return root / "office" / "server"; }
    std::string registration() const { return test::ReadFile(root / "config" / "Brennwick" / "Qorva32.conf"); }

    test::TempFolder root;
};

} // namespace

TEST_F(ServerSetup, MakesARegisteredServerFolderThatArchivesAtOnceAndIsNeverMadeTwice)
{
    const Finished made = talmere({"--init-server", Q(server())});
    ASSERT_EQ(made.exitCode, 0) << made.errors;
    EXPECT_EQ(test::ReadFile(server() / "TALMERE.INI"), test::ReadFile(TALMERE_EXAMPLE_CONFIGURATION));
    EXPECT_TRUE(fs::is_directory(server() / "mailbox"));
    EXPECT_TRUE(fs::is_directory(server() / "archive"));
    const fs::path install = root / "data" / "talmere";
    EXPECT_TRUE(fs::is_directory(install / "private"));
    const std::string registered = registration();
    EXPECT_NE(registered.find("ServerDirectory=" + server().string() + "/"), std::string::npos) << registered;
    EXPECT_NE(registered.find("InstallDirectory=" + install.string() + "/"), std::string::npos) << registered;
    EXPECT_NE(registered.find("DataDirectory=" + server().string() + "/"), std::string::npos) << registered;

    // The example configuration loads, and a scheduled run files an acknowledgment with it.
    test::WriteFile(server() / "mailbox" / "ACK.X12", test::Acknowledgment999("20240202", "0700", 1));
    const Finished archived = talmere({"/TAMSEN", "/SILENTARCHIVE"});
    EXPECT_EQ(archived.exitCode, 0) << archived.errors;
    EXPECT_EQ(test::FileNames(server() / "archive" / "AK"), std::vector<std::string>{"AK240202.001"});

    // A folder holding a configuration (here as talmere.ini) is left as it is.
    test::WriteFile(server() / "TALMERE.INI", "edited by the office\n");
    fs::rename(server() / "TALMERE.INI", server() / "talmere.ini");
    const Finished again = talmere({"--init-server", Q(server())});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.errors.find("already holds a report configuration"), std::string::npos) << again.errors;
    EXPECT_EQ(test::ReadFile(server() / "talmere.ini"), "edited by the office\n");
    EXPECT_FALSE(fs::exists(server() / "TALMERE.INI"));

    // Another server folder would replace this user's registration: refused, nothing made.
    const Finished other = talmere({"--init-server", Q(root / "elsewhere")});
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_NE(other.errors.find("registered with ServerDirectory="), std::string::npos) << other.errors;
    EXPECT_FALSE(fs::exists(root / "elsewhere"));
    EXPECT_EQ(registration(), registered);

    // A command line without its folder.
    EXPECT_EQ(talmere({"--init-server"}).exitCode, 2);
    EXPECT_EQ(talmere({"--init-server", Q(server()), "--nonsense"}).exitCode, 2);
}
