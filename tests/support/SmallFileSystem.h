#pragma once

// A small file system of its own (tmpfs) mounted on a fresh folder for one test, so that a test can fill it
// up and see how the program behaves on a full disk. Mounting needs root; without it the test is skipped,
// except under CI=true, where the tests run as root and a skip would hide a fault.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace talmere::test {

class SmallFileSystem {
public:
    // Mounts a tmpfs of the given size ("64k") on the folder, which is created when missing. When that is not
    // possible, reason() tells why.
    SmallFileSystem(const std::filesystem::path& folder, const char* size) : m_folder(folder)
    {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        QProcess mount;
        mount.start(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                              QStringLiteral("size=") + QLatin1String(size), QStringLiteral("tmpfs"),
                                              QString::fromStdString(folder.string())});
        if (!mount.waitForFinished(30000) || mount.exitStatus() != QProcess::NormalExit || mount.exitCode() != 0) {
            m_reason = "a tmpfs cannot be mounted here (" +
                       QString::fromLocal8Bit(mount.readAllStandardError()).trimmed().toStdString() + ")";
            return;
        }
        m_mounted = true;
    }
    ~SmallFileSystem()
    {
        if (m_mounted) {
            QProcess::execute(QStringLiteral("umount"), {QString::fromStdString(m_folder.string())});
        }
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return m_mounted; }
    const std::string& reason() const { return m_reason; }
    // Whether a test must fail rather than be skipped when nothing could be mounted.
    static bool required() { return qgetenv("CI") == "true"; }

    // Mounts the file system again read-only: nobody, the superuser neither, may write to it afterwards.
    bool makeReadOnly() const
    {
        return QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,ro"),
                                                           QString::fromStdString(m_folder.string())}) == 0;
    }

    // Writes a file of zeros until the file system is full; the number of bytes that went in.
    std::uintmax_t fill(const std::string& name) const
    {
        std::ofstream out(m_folder / name, std::ios::binary);
        const std::string block(512, '\0');
        while (out.write(block.data(), static_cast<std::streamsize>(block.size())) && out.flush()) {
        }
        out.close();
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(m_folder / name, error);
        return error ? 0 : size;
    }

private:
    std::filesystem::path m_folder;
    bool m_mounted = false;
    std::string m_reason;
};

} // namespace talmere::test

// Mounts a small file system on the folder for the rest of the test, or skips the test (fails it under CI).
#define TALMERE_MOUNT_SMALL_FILE_SYSTEM(variable, folder, size)                                                        \
    ::talmere::test::SmallFileSystem variable((folder), (size));                                                       \
    if (!variable.mounted()) {                                                                                         \
        if (::talmere::test::SmallFileSystem::required()) {                                                            \
            FAIL() << variable.reason();                                                                               \
        }                                                                                                              \
        GTEST_SKIP() << variable.reason();                                                                             \
    }
