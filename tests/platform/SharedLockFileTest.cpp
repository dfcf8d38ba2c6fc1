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
