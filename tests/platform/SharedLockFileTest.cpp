// Byte locks of open files: two opens of one file exclude each other even in one process, so the rules
// can be seen here; the program's tests check them between real processes.

#include "platform/SharedLockFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace talmere;
using platform::SharedLockFile;
using LockResult = SharedLockFile::LockResult;

TEST(SharedLockFile, ALockedByteIsRefusedToEveryOtherOpenUntilItIsReleased)
{
    test::TempFolder folder;
    const std::string path = (folder / "QRUSER.CTL").string();
    test::WriteFile(path, std::string(200, 'A'));
    SharedLockFile first;
    SharedLockFile second;
    ASSERT_TRUE(first.open(path));
    ASSERT_TRUE(second.open(path));

    EXPECT_EQ(first.lockByte(7), LockResult::Locked);
    EXPECT_EQ(first.lockByte(7), LockResult::Locked); // again by its holder: still held, no conflict
    EXPECT_EQ(second.lockByte(7), LockResult::HeldByOther);
    EXPECT_EQ(second.lockByte(8), LockResult::Locked); // one byte only
    EXPECT_EQ(second.lockRange(5, 3), LockResult::HeldByOther);

    EXPECT_TRUE(first.unlockByte(7));
    EXPECT_EQ(second.lockByte(7), LockResult::Locked);

    // Closing drops every lock of the open file.
    second.close();
    EXPECT_EQ(first.lockByte(7), LockResult::Locked);
    EXPECT_EQ(first.lockByte(8), LockResult::Locked);
}

TEST(SharedLockFile, AByteHeldByAnotherOpenCannotBeRead)
{
    test::TempFolder folder;
    const std::string path = (folder / "QRUSER.CTL").string();
    test::WriteFile(path, "AB");
    SharedLockFile holder;
    SharedLockFile reader;
    ASSERT_TRUE(holder.open(path));
    ASSERT_TRUE(reader.open(path));

    EXPECT_TRUE(reader.canReadByte(1));
    ASSERT_EQ(holder.lockByte(1), LockResult::Locked);
    EXPECT_FALSE(reader.canReadByte(1));
    EXPECT_TRUE(holder.canReadByte(1)); // its own lock does not stand in its way
    EXPECT_TRUE(reader.canReadByte(0));
    EXPECT_FALSE(reader.canReadByte(2)); // beyond the end: no byte
    reader.close();
    EXPECT_FALSE(reader.canReadByte(0));
    EXPECT_EQ(reader.lockByte(0), LockResult::Failed);
}

TEST(SharedLockFile, TheOpenFileIsKnownByWhatItIsNotByItsName)
{
    test::TempFolder folder;
    const std::string path = (folder / "dyna0001.dbf").string();
    const std::string other = (folder / "dyna0002.dbf").string();
    const std::string link = (folder / "link.dbf").string();
    test::WriteFile(path, "A");
    test::WriteFile(other, "A");
    SharedLockFile file;
    EXPECT_FALSE(file.isOpenAt(path)); // nothing open
    ASSERT_TRUE(file.open(path));
    EXPECT_TRUE(file.isOpenAt(path));
    EXPECT_FALSE(file.isOpenAt(other)); // same contents, another file
    std::filesystem::create_hard_link(path, link);
    EXPECT_TRUE(file.isOpenAt(link));

    // Deleted and made again under the same name: the name now stands for another file.
    std::filesystem::remove(path);
    EXPECT_FALSE(file.isOpenAt(path));
    test::WriteFile(path, "A");
    EXPECT_FALSE(file.isOpenAt(path));
    EXPECT_TRUE(file.isOpenAt(link));
    file.close();
    EXPECT_FALSE(file.isOpenAt(link));
}

TEST(ByteLockCheck, MountsThatKeepLocksOnThisMachineAreNamed)
{
    // /proc/self/mountinfo as a workstation with a few server mounts shows it.
    const std::string mountinfo =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw,errors=remount-ro\n"
        "30 22 0:40 / /srv/billing rw,relatime shared:20 - cifs //server/billing rw,vers=3.1.1,cache=strict,"
        "nobrl,uid=1000\n"
        "31 22 0:41 / /srv/locked rw,relatime shared:21 - cifs //server/locked rw,vers=3.1.1,cache=strict,uid=1000\n"
        "32 22 0:42 / /mnt/nfs3 rw,relatime - nfs server:/export rw,vers=3,nolock,proto=tcp\n"
        "33 22 0:43 / /mnt/nfs4 rw,relatime - nfs4 server:/export rw,vers=4.2,local_lock=all\n"
        "34 22 0:44 / /mnt/good rw,relatime - nfs4 server:/export rw,vers=4.2,local_lock=none\n"
        "35 22 0:45 / /mnt/billing\\040share rw - cifs //server/x rw,nobrl\n"
        "36 30 0:46 / /srv/billing/inner rw - ext4 /dev/sdb1 rw\n";
    EXPECT_EQ(platform::MountLockProblem(mountinfo, "/srv/billing/QRUSER.CTL"), "a cifs mount with nobrl");
    EXPECT_EQ(platform::MountLockProblem(mountinfo, "/srv/locked/QRUSER.CTL"), "");
    EXPECT_EQ(platform::MountLockProblem(mountinfo, "/mnt/nfs3/QRUSER.CTL"), "an nfs mount with nolock");
    EXPECT_EQ(platform::MountLockProblem(mountinfo, "/mnt/nfs4/QRUSER.CTL"),
              "an nfs4 mount whose locks stay local (local_lock)");
    EXPECT_EQ(platform::MountLockProblem(mountinfo, "/mnt/good/QRUSER.CTL"), "");
    // A mount point with a blank in its name, a mount inside a bad one, and a name that only begins alike.
    EXPECT_EQ(platform::MountLockProblem(mountinfo, "/mnt/billing share/QRUSER.CTL"), "a cifs mount with nobrl");
    EXPECT_EQ(platform::MountLockProblem(mountinfo, "/srv/billing/inner/QRUSER.CTL"), "");
    EXPECT_EQ(platform::MountLockProblem(mountinfo, "/srv/billingold/QRUSER.CTL"), "");
    EXPECT_EQ(platform::MountLockProblem("", "/srv/billing/QRUSER.CTL"), "");

    // Here, on a local file system, locks hold.
    test::TempFolder folder;
    test::WriteFile(folder / "QRUSER.CTL", std::string(64, 'A'));
    EXPECT_EQ(platform::ByteLockProblem((folder / "QRUSER.CTL").string()), "");
}
