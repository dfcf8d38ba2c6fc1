// The report configuration loader on arbitrary TALMERE.INI files, in an installation of its own: the input
// is the install folder's TALMERE.INI, loaded with the real loader and the built report library (where the
// build has one). Every input ends in a loaded list or exactly one error; a loaded list holds only usable
// types, and nothing is made outside the report archive folder.

#include "config/ReportConfiguration.h"
#include "fuzz/FuzzSupport.h"
#include "platform/DynamicLibrary.h"
#include "platform/SettingsStore.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

using namespace talmere;
namespace fs = std::filesystem;

namespace {

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// No preferences of any report type.
class EmptyStore : public platform::SettingsStore {
public:
    std::optional<QString> value(const QString&, const QString&) const override { return std::nullopt; }
    void setValue(const QString&, const QString&, const QString&) override {}
    bool hasGroup(const QString&) const override { return false; }
    QStringList valueNames(const QString&) const override { return {}; }
    QStringList childGroups(const QString&) const override { return {}; }
    void removeGroup(const QString&) override {}
    bool flush() override { return true; }
};

class CountingPrompts : public UserPrompts {
public:
    void error(const QString&) override { ++errors; }
    void warning(const QString&) override { ++warnings; }
    void information(const QString&) override {}
    bool confirm(const QString&) override { return true; }
    void processPendingEvents() override {}
    void setBusyCursor(bool) override {}

    int errors = 0;
    int warnings = 0;
};

// Where the input goes, in the fuzz workspace.
const char kInput[] = "installation/install/TALMERE.INI";

QString Folder(const fs::path& path)
{
    return QString::fromStdString(path.string() + "/");
}

// The names directly in a folder.
std::vector<std::string> Names(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The installation the inputs are loaded in: server (mailbox, report archive) and install folder (the
// demo's mailbox, eligibility and posting folders, and the private folder).
struct Installation {
    Installation() : root(fuzz::FuzzWorkspace::instance().folder() / "installation")
    {
        for (const char* folder : {"server/mailbox", "server/archive", "install/private", "install/mailbox",
                                   "install/eligibility", "install/posting"}) {
            fs::create_directories(root / folder);
        }
        fuzz::FuzzWorkspace::instance().writeInput(nullptr, 0, kInput);
        serverNames = Names(root / "server");
        installNames = Names(root / "install");
        // Held for the life of the process: the loader's own load and unload then never unmaps it.
        if (!libraryPath.empty()) {
            library.load(libraryPath);
        } else {
            libraryPath = (root / "no-report-library.so").string();
        }
    }

    fs::path root;
    std::vector<std::string> serverNames;
    std::vector<std::string> installNames;
    std::string libraryPath = TALMERE_FUZZ_REPORT_LIBRARY;
    platform::DynamicLibrary library;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Installation installation;
    const fs::path& root = installation.root;
    const fs::path archive = root / "server" / "archive";
    fuzz::FuzzWorkspace::instance().writeInput(data, size, kInput);

    EmptyStore store;
    CountingPrompts prompts;
    ApplicationContext context(prompts, store, store);
    context.folders.ServerDirectory = Folder(root / "server");
    context.folders.InstallDirectory = Folder(root / "install");
    context.folders.PrivateDirectory = Folder(root / "install" / "private");
    context.folders.ReportArchiveFolder = Folder(archive);
    context.flags.BypassAccessChecks = true;
    context.flags.IncludeInstitutionalReports = size % 3 != 1;
    context.flags.IncludeProfessionalReports = size % 3 != 2;
    context.reportLibraryCandidates = {installation.libraryPath};

    const bool loaded = LoadReportConfiguration(context);
    Check(prompts.errors == (loaded ? 0 : 1));
    Check(loaded == !context.reportTypes.empty());
    const fs::path archiveFolder = fs::weakly_canonical(archive);
    for (int i = 0; i < static_cast<int>(context.reportTypes.size()); ++i) {
        const TReportConfigInfoRecord& type = context.reportTypes[static_cast<std::size_t>(i)].info;
        if (type.ReportFormat == "COPY" || type.ReportFormat == "MOVE" || type.ReportFormat == "DELETE") {
            continue;
        }
        Check(type.ArchivePrefix.size() == 2);
        // Each archive subfolder is a folder of its own right inside the report archive folder.
        QString folder = ArchiveSubfolder(context, i);
        Check(folder.endsWith(QLatin1Char('/')));
        folder.chop(1);
        const fs::path subfolder = fs::weakly_canonical(folder.toStdString());
        Check(subfolder.parent_path() == archiveFolder);
        Check(fs::is_directory(subfolder));
    }
    // Nothing appeared beside the report archive folder or in the install folder.
    Check(Names(root / "server") == installation.serverNames);
    Check(Names(root / "install") == installation.installNames);
    Check(Names(root) == std::vector<std::string>{"install", "server"});

    std::error_code error;
    for (const fs::path& made : std::vector<fs::path>(fs::directory_iterator(archive), {})) {
        fs::remove_all(made, error);
    }
    return 0;
}
