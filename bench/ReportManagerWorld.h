#pragma once

// The report manager's world for the benchmarks of the archive run and the listings: a server folder with
// a mailbox and an archive, an install folder with TALMERE.INI (one type of 999 acknowledgments, prefix
// AK) and its private folder, the built report library, single-user operation, nothing shown.

#include "bench/BenchSupport.h"
#include "core/ApplicationContext.h"
#include "platform/SettingsStore.h"

#include <filesystem>
#include <memory>
#include <string>

namespace talmere::bench {

class ReportManagerWorld {
public:
    explicit ReportManagerWorld(const std::filesystem::path& root);

    ApplicationContext& context() { return *m_context; }
    std::filesystem::path mailbox() const { return m_root / "server" / "mailbox"; }
    std::filesystem::path archiveFolder() const { return m_root / "server" / "archive" / "AK"; }

    // Writes count 999 files into a folder, named by the function, dated over 50 days of 2024.
    template <typename Name>
    void writeAcknowledgments(const std::filesystem::path& folder, int count, Name name);

private:
    class QuietPrompts;

    std::filesystem::path m_root;
    std::unique_ptr<UserPrompts> m_prompts;
    std::unique_ptr<platform::SettingsStore> m_store;
    std::unique_ptr<ApplicationContext> m_context;
};

std::string Acknowledgment999(int day, int control);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
// Writes an installation's TALMERE.INI dated an hour back: a real one was written long before any run.
void WriteConfiguration(const std::filesystem::path& path, const std::string& bytes);

template <typename Name>
void ReportManagerWorld::writeAcknowledgments(const std::filesystem::path& folder, int count, Name name)
{
    std::filesystem::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        WriteBytes(folder / name(i), Acknowledgment999(i % 50, i + 1));
    }
}

} // namespace talmere::bench
