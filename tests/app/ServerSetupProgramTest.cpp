// talmere --init-server as a process: a new server folder from the example configuration, registered so that
// a scheduled archive run works on it at once, and never a second time over an existing configuration. And the
// same server folder on a share whose file system refuses byte locks: the start says so and files nothing.

#include "tests/support/ArchiveTestSupport.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <fstream>
#include <sys/mount.h>

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

#ifdef TALMERE_LOCKLESS_FS
// A folder shown at a mount point by a file system in user space, as a share shows the server's folder; with
// refuseLocks every byte lock on it fails, as on a share whose server keeps no locks.
class Share {
public:
    Share(const fs::path& folder, const fs::path& mountPoint, bool refuseLocks) : m_mountPoint(mountPoint)
    {
        fs::create_directories(folder);
        fs::create_directories(mountPoint);
        QStringList arguments;
        if (refuseLocks) {
            arguments << "--refuse-locks";
        }
        m_process.start(TALMERE_LOCKLESS_FS, arguments << Q(folder) << Q(mountPoint));
        for (int waited = 0; waited < 5000 && !mounted() && m_process.state() != QProcess::NotRunning; waited += 20) {
            m_process.waitForFinished(20);
        }
    }
    ~Share()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
        if (mounted()) {
            ::umount2(m_mountPoint.c_str(), MNT_DETACH);
        }
    }
    Share(const Share&) = delete;
    Share& operator=(const Share&) = delete;

    bool mounted() const
    {
        std::ifstream mounts("/proc/self/mountinfo");
        for (std::string line; std::getline(mounts, line);) {
            if (line.find(" " + m_mountPoint.string() + " ") != std::string::npos &&
                line.find("talmere-lockless") != std::string::npos) {
                return true;
            }
        }
        return false;
    }
    std::string errors() { return m_process.readAllStandardError().toStdString(); }

private:
    fs::path m_mountPoint;
    QProcess m_process;
};
#endif

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

#ifdef TALMERE_LOCKLESS_FS
TEST_F(ServerSetup, AServerFolderOnAShareThatRefusesByteLocksIsRefusedAndNothingIsFiled)
{
    const fs::path mailbox = root / "share" / "server" / "mailbox";
    const fs::path mounted = root / "mnt" / "server";
    {
        // The share keeping its locks: the server folder is made there and archives as anywhere else.
        const Share keeping(root / "share", root / "mnt", false);
        if (!keeping.mounted()) {
            GTEST_SKIP() << "no file system in user space can be mounted here (no /dev/fuse or no right to mount)";
        }
        ASSERT_EQ(talmere({"--init-server", Q(mounted)}).exitCode, 0);
        test::WriteFile(mounted / "mailbox" / "ACK1.X12", test::Acknowledgment999("20240202", "0700", 1));
        const Finished archived = talmere({"/TAMSEN", "/SILENTARCHIVE"});
        EXPECT_EQ(archived.exitCode, 0) << archived.errors;
        EXPECT_EQ(test::FileNames(mounted / "archive" / "AK"), std::vector<std::string>{"AK240202.001"});
    }

    // The same folder on a share that refuses every byte lock.
    test::WriteFile(mailbox / "ACK2.X12", test::Acknowledgment999("20240203", "0700", 2));
    Share refusing(root / "share", root / "mnt", true);
    ASSERT_TRUE(refusing.mounted()) << refusing.errors();
    const Finished refused = talmere({"/TAMSEN", "/SILENTARCHIVE"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.errors.find("File locks do not work on the server folder " + mounted.string() +
                                  "/ (the file system refuses byte locks). Several workstations cannot share it "
                                  "safely."),
              std::string::npos)
        << refused.errors;
    EXPECT_EQ(test::FileNames(mailbox), std::vector<std::string>{"ACK2.X12"});
    EXPECT_EQ(test::FileNames(root / "share" / "server" / "archive" / "AK"), std::vector<std::string>{"AK240202.001"});
}
#endif
