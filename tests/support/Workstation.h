#pragma once

// A workstation that shares a server folder, for tests that start the talmere program itself: its own
// settings home (with the product's folders registered), runtime folder and install folder.

#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramTestSupport.h"

#include <QProcessEnvironment>
#include <QStringList>

#include <filesystem>
#include <memory>

namespace talmere::test {

class Workstation {
public:
    Workstation(const std::filesystem::path& root, const std::filesystem::path& server) : m_root(root)
    {
        namespace fs = std::filesystem;
        fs::create_directories(root / "config" / "Brennwick");
        fs::create_directories(root / "runtime");
        fs::permissions(root / "runtime", fs::perms::owner_all);
        fs::create_directories(root / "install");
        fs::create_directories(root / "data");
        WriteFile(root / "config" / "Brennwick" / "Qorva32.conf",
                  "[General]\nServerDirectory=" + server.string() + "/\nInstallDirectory=" +
                      (root / "install").string() + "/\nDataDirectory=" + (root / "data").string() + "/\n");
    }
    const std::filesystem::path& root() const { return m_root; }
    QProcessEnvironment environment() const { return ChildProcessEnvironment(m_root); }
    // The program with the arguments, in this workstation's environment.
    std::unique_ptr<ChildProcess> start(const QString& program, const QStringList& arguments,
                                        const QProcessEnvironment& environment) const
    {
        return std::make_unique<ChildProcess>(program, arguments, environment);
    }
#ifdef TALMERE_PROGRAM
    std::unique_ptr<ChildProcess> start(const QStringList& arguments) const
    {
        return start(QStringLiteral(TALMERE_PROGRAM), arguments, environment());
    }
#endif

private:
    std::filesystem::path m_root;
};

} // namespace talmere::test
