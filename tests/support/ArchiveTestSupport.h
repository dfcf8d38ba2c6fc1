#pragma once

// A report manager's world in temporary folders, for the tests of the configuration, the archive run, the
// listings and the start: a server folder with a mailbox and the report archive, an install folder with
// TALMERE.INI and the private folder, the built report library, and a fixed day.

#include "common/DayDate.h"
#include "tests/support/ProgramTestSupport.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace talmere::test {

// The day the tests live on: 15 March 2024, 10:00.
QDateTime TestNow();

class ArchiveWorld {
public:
    ArchiveWorld();

    ApplicationContext& context() { return m_install.context(); }
    RecordingPrompts& prompts() { return m_install.prompts(); }
    Installation& installation() { return m_install; }

    std::filesystem::path root() const { return m_install.root(); }
    std::filesystem::path server() const { return m_install / "server"; }
    std::filesystem::path install() const { return m_install / "install"; }
    std::filesystem::path mailbox() const { return server() / "mailbox"; }
    std::filesystem::path archive() const { return server() / "archive"; }

    // TALMERE.INI of the install folder.
    void writeConfiguration(const std::string& text);
    // Loads it into the context; the texts shown are in prompts().
    bool load();
    int typeIndex(const QString& name);
    // The private folder's listing file of an archive prefix.
    std::filesystem::path privateFolderListing(const std::string& prefix) const
    {
        return install() / "private" / ("TALMRD" + prefix + ".DIR");
    }

    // A file in a folder (the mailbox unless named), with a modification time when given.
    std::filesystem::path stage(const std::string& name, const std::string& bytes,
                                const std::optional<DateTimeParts>& modified = std::nullopt);
    std::filesystem::path put(const std::filesystem::path& folder, const std::string& name, const std::string& bytes,
                              const std::optional<DateTimeParts>& modified = std::nullopt);

private:
    Installation m_install;
};

// The names in a folder that are files, sorted.
std::vector<std::string> FileNames(const std::filesystem::path& folder);

// A report type section of TALMERE.INI: "[Report Details - name]" and the given lines.
std::string TypeSection(const std::string& name, const std::vector<std::string>& lines);

// A configuration for the report list: an action type (Junk, DELETE) and three listed types, Acks (ANSI_999,
// prefix AK, both claim contexts), Letters ("Payer Letters", TEXT, PL, institutional only) and Claims
// ("Professional Letters", TEXT, PR, professional only), all staged in the mailbox.
std::string ReportListConfiguration();

// A small 999 acknowledgment whose group is dated yyyymmdd at hhmm.
std::string Acknowledgment999(const std::string& date, const std::string& time, int control);

// The lines of the archive log, split at tabs.
std::vector<std::vector<std::string>> ArchiveLogLines(const std::filesystem::path& archiveFolder);

} // namespace talmere::test
