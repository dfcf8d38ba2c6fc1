#include "tests/support/ArchiveTestSupport.h"

#include "archive/ArchiveLog.h"
#include "config/ReportConfiguration.h"

#include <algorithm>
#include <sstream>

namespace talmere::test {

namespace fs = std::filesystem;

QDateTime TestNow()
{
    return QDateTime(QDate(2024, 3, 15), QTime(10, 0));
}

ArchiveWorld::ArchiveWorld()
{
    for (const fs::path& folder : {mailbox(), archive(), install() / "private", root() / "data", root() / "program"}) {
        fs::create_directories(folder);
    }
    ApplicationContext& c = context();
    c.folders.ServerDirectory = Folder(server());
    c.folders.InstallDirectory = Folder(install());
    c.folders.DataDirectory = Folder(root() / "data");
    c.folders.ProgramDirectory = Folder(root() / "program");
    c.folders.PrivateDirectory = Folder(install() / "private");
    c.folders.ReportArchiveFolder = Folder(archive());
    c.flags.BypassAccessChecks = true;
    c.reportLibraryCandidates = {TALMRDLL_PATH};
    c.clock = TestNow;
}

void ArchiveWorld::writeConfiguration(const std::string& text)
{
    WriteFile(install() / "TALMERE.INI", text);
}

bool ArchiveWorld::load()
{
    return LoadReportConfiguration(context());
}

int ArchiveWorld::typeIndex(const QString& name)
{
    const ReportTypeList& types = m_install.context().reportTypes;
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (types[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

fs::path ArchiveWorld::stage(const std::string& name, const std::string& bytes,
                             const std::optional<DateTimeParts>& modified)
{
    return put(mailbox(), name, bytes, modified);
}

fs::path ArchiveWorld::put(const fs::path& folder, const std::string& name, const std::string& bytes,
                           const std::optional<DateTimeParts>& modified)
{
    fs::create_directories(folder);
    const fs::path path = folder / name;
    WriteFile(path, bytes);
    if (modified) {
        SetModificationTime(path, *modified);
    }
    return path;
}

std::vector<std::string> FileNames(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_directory()) {
            names.push_back(it->path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string TypeSection(const std::string& name, const std::vector<std::string>& lines)
{
    std::string text = "[Report Details - " + name + "]\n";
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

std::string ReportListConfiguration()
{
    return "[Report Types]\nJunk=\nAcks=\nLetters=\nClaims=\n" +
           TypeSection("Junk",
                       {"ReportFormat=DELETE", "FileNameMask=*.TMP", "StagingDirectory=%SERVER_DIR%\\mailbox"}) +
           TypeSection("Acks", {"ReportFormat=ANSI_999", "ReportDesc=Acknowledgments", "ArchivePrefix=AK",
                                "StagingDirectory=%SERVER_DIR%\\mailbox", "SearchIdent1=ISA", "SearchIdent2=ST*999",
                                "ArchiveDays=-1"}) +
           TypeSection("Letters", {"ReportFormat=TEXT", "ReportDesc=Payer Letters", "ArchivePrefix=PL",
                                   "StagingDirectory=%SERVER_DIR%\\mailbox", "FileNameMask=LTR*.TXT", "ArchiveDays=-1",
                                   "ReportContext=UB92"}) +
           TypeSection("Claims", {"ReportFormat=TEXT", "ReportDesc=Professional Letters", "ArchivePrefix=PR",
                                  "StagingDirectory=%SERVER_DIR%\\mailbox", "FileNameMask=PRO*.TXT", "ArchiveDays=-1",
                                  "ReportContext=1500"});
}

std::string Acknowledgment999(const std::string& date, const std::string& time, int control)
{
    const std::string number = std::to_string(control);
    return "ISA*00*          *00*          *ZZ*AVAILITY01     *ZZ*NORTHFIELDMED  *" + date.substr(2) + "*" + time +
           "*^*00501*" + std::string(9 - number.size(), '0') + number + "*0*P*:~\n" +
           "GS*FA*AVAILITY01*NORTHFIELDMED*" + date + "*" + time + "*" + number + "*X*005010X231A1~\n" +
           "ST*999*0001*005010X231A1~\nAK1*HC*2412001*005010X222A1~\nAK2*837*000000301*005010X222A1~\nIK5*A~\n"
           "AK9*A*1*1*1~\nSE*6*0001~\nGE*1*" +
           number + "~\nIEA*1*" + std::string(9 - number.size(), '0') + number + "~\n";
}

std::vector<std::vector<std::string>> ArchiveLogLines(const fs::path& archiveFolder)
{
    std::vector<std::vector<std::string>> lines;
    const fs::path log = archiveFolder / kArchiveLogFileName.toStdString();
    if (!fs::exists(log)) {
        return lines;
    }
    std::istringstream in(ReadFile(log));
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
            fields.push_back(line.substr(start, tab - start));
        }
        fields.push_back(line.substr(start));
        lines.push_back(fields);
    }
    return lines;
}

} // namespace talmere::test
