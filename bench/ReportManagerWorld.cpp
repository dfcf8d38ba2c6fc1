#include "bench/ReportManagerWorld.h"

#include "config/ReportConfiguration.h"

#include <QString>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace talmere::bench {

class ReportManagerWorld::QuietPrompts final : public UserPrompts {
public:
    void error(const QString& text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    void warning(const QString& text) override { error(text); }
    void information(const QString&) override {}
    bool confirm(const QString&) override { return false; }
    void processPendingEvents() override {}
    void setBusyCursor(bool) override {}
};

void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

void WriteConfiguration(const std::filesystem::path& path, const std::string& bytes)
{
    WriteBytes(path, bytes);
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
}

std::string Acknowledgment999(int day, int control)
{
    char date[32];
    std::snprintf(date, sizeof date, "2024%02d%02d", 1 + day / 28, 1 + day % 28);
    const std::string number = std::to_string(control);
    const std::string padded = std::string(9 - number.size(), '0') + number;
    std::string text = "ISA*00*          *00*          *ZZ*AVAILITY01     *ZZ*NORTHFIELDMED  *" +
                       std::string(date + 2) + "*0700*^*00501*" + padded + "*0*P*:~\nGS*FA*AVAILITY01*NORTHFIELDMED*" +
                       date + "*0700*" + number + "*X*005010X231A1~\nST*999*0001*005010X231A1~\n" +
                       "AK1*HC*2412001*005010X222A1~\n";
    // A few claims each, as the acknowledgment of a small batch has.
    for (int claim = 1; claim <= 20; ++claim) {
        text += "AK2*837*" + std::to_string(100000 + claim) + "*005010X222A1~\nIK5*A~\n";
    }
    text += "AK9*A*20*20*20~\nSE*44*0001~\nGE*1*" + number + "~\nIEA*1*" + padded + "~\n";
    return text;
}

ReportManagerWorld::ReportManagerWorld(const std::filesystem::path& root) : m_root(root)
{
    namespace fs = std::filesystem;
    for (const char* folder : {"server/mailbox", "server/archive", "install/private", "config"}) {
        fs::create_directories(root / folder);
    }
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    m_prompts = std::make_unique<QuietPrompts>();
    m_store = platform::OpenUserSettings("Brennwick", "Talmere");
    m_context = std::make_unique<ApplicationContext>(*m_prompts, *m_store, *m_store);
    ApplicationContext& c = *m_context;
    const QString server = QString::fromStdString((root / "server").string()) + '/';
    const QString install = QString::fromStdString((root / "install").string()) + '/';
    c.folders.ServerDirectory = server;
    c.folders.InstallDirectory = install;
    c.folders.DataDirectory = install;
    c.folders.ProgramDirectory = install;
    c.folders.PrivateDirectory = install + "private/";
    c.folders.ReportArchiveFolder = server + "archive/";
    c.flags.BypassAccessChecks = true;
    c.reportLibraryCandidates = {TALMRDLL_PATH};
    WriteConfiguration(
        root / "install" / "TALMERE.INI",
        "[Report Types]\nAcks=\n[Report Details - Acks]\nReportFormat=ANSI_999\nReportDesc=Acknowledgments\n"
        "ArchivePrefix=AK\nStagingDirectory=%SERVER_DIR%\\mailbox\nSearchIdent1=ISA\n"
        "SearchIdent2=ST*997|ST*999\nArchiveDays=-1\n");
    if (!LoadReportConfiguration(c)) {
        throw std::runtime_error("the benchmark's report configuration did not load");
    }
}

} // namespace talmere::bench
