#pragma once

#include "core/ReportTypes.h"
#include "core/UserPrompts.h"
#include "platform/SharedLockFile.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace talmere {

namespace platform {
class SettingsStore;
}

// The folders of the installation the program works in, fixed at start. Every folder value ends in the
// separator; an empty one stays empty.
struct ProductFolders {
    QString ServerDirectory;     // shared: master TALMERE.INI, user control file, mailbox, default archive
    QString InstallDirectory;    // this workstation's: working TALMERE.INI, QORVA32.INI, private folder
    QString DataDirectory;       // the product's tables
    QString ProgramDirectory;    // the folder of the running program
    QString PrivateDirectory;    // InstallDirectory + "private/": temporary listing and report files
    QString ReportArchiveFolder; // root of the report archive, set when the main window is created
};

struct ModeFlags {
    bool Launched = false;            // started by the product with /TAMSEN
    bool StandaloneOperation = false; // works in ProgramDirectory alone
    bool ExclusiveAccess = false;     // /EXCLUSIVE
    bool IncludeInstitutionalReports = true;
    bool IncludeProfessionalReports = true;
    bool SilentArchive = false;      // /SILENTARCHIVE
    bool BypassAccessChecks = false; // single-user operation: no user control file
};

// The two context flags as one small number, as they are handed to another instance: 3 both, 1 only
// institutional, 2 otherwise.
int ContextCode(const ModeFlags& flags);

// A remembered window placement; -1 everywhere when it was never saved. State: 0 normal, 1 maximised.
struct WindowPosition {
    int Left = -1;
    int Top = -1;
    int Width = -1;
    int Height = -1;
    int State = -1;

    friend bool operator==(const WindowPosition&, const WindowPosition&) = default;
};

inline const QString kBuiltInProductName = QStringLiteral("Qorva");
inline const QString kBuiltInCopyright = QStringLiteral("Copyright (C) Brennwick. All rights reserved.");
inline const QString kBuiltInOwnershipComment =
    QStringLiteral("This program is the property of Brennwick and is licensed for use with Qorva.");
inline const QString kDefaultReportArchiveDirectory = QStringLiteral("Arctalmr");

// The program's settings, named after their keys (see LoadSettings for where each comes from).
struct ProgramSettings {
    // The user's store, group "General".
    QString ReportArchivePreprocessor;
    bool PerformMailboxCleanupOnStartup = true;
    int MailboxCleanupDays = 31;
    bool DisplayPrinterDialogOnPreview = false;
    WindowPosition ReportListPosition;
    WindowPosition PortraitPreviewDialog;
    WindowPosition LandscapePreviewDialog;
    // The set the preview window reads when it opens and updates when it closes.
    WindowPosition PreviewPosition;

    // QORVA32.INI of the install folder.
    QString ProductName = kBuiltInProductName;
    QString Copyright = kBuiltInCopyright;
    QString OwnershipComment = kBuiltInOwnershipComment;
    int CenturyDatePivotYear = 65;
    bool BypassUserMonitoring = false;

    // TALMERE.INI of the install folder, section "General".
    QString ReportArchiveDirectory = kDefaultReportArchiveDirectory;
    bool BypassDefaultPrinterAssignmentCheck = false;
    bool PurgeReportArchiveFiles = true;
    int PurgeReportArchiveDays = 180;
    int ReportArchivePreprocessorTimeout = 30;
    bool EnableCopyOrMoveBasedOnContext = true;
    int ContextCopyOrMoveRecentDays = 60;
    bool PerformStagedFileUnZIP = false;
    // What one staged ZIP file may unpack: megabytes of all its entries, entries, and the growth of an entry
    // over its stored size. Zero or less: the default.
    int ZipMaxTotalMB = 2048;
    int ZipMaxEntries = 10000;
    int ZipMaxRatio = 200;
};

// The product name followed by " Report Manager": the title of the program's windows, and the name by
// which a later start finds a running instance.
QString ApplicationTitle(const ProgramSettings& settings);

// How long the user control file's locks are waited for: attempts at the control byte, and the pause
// between two attempts at the control byte or the archive lock.
struct LockTiming {
    int controlByteAttempts = 50;
    int retryMilliseconds = 100;
    // How long one second of a time-out lasts while the archive lock is waited for; tests shorten it.
    int millisecondsPerSecond = 1000;
};

// This process's hold on the user control file: the open file, the claimed user slot and how deep the
// archive lock is nested (0 when it is not held).
struct UserAccessState {
    platform::SharedLockFile file;
    int slot = 0;
    int archiveLockNesting = 0;
};

// The exit codes of a silent archive start; an interactive start ends with 0 however it ends.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitStartFailed = 1;   // the command line, the folders, the configuration, or the run itself
inline constexpr int kExitFilesNotFiled = 2; // the run went through, but staged files could not be filed

// The process-wide values of the program, passed to the modules that need them. A test builds one over a
// temporary folder with its own prompts and stores.
class ApplicationContext {
public:
    ApplicationContext(UserPrompts& prompts, platform::SettingsStore& programStore,
                       platform::SettingsStore& productStore)
        : m_prompts(prompts), m_programStore(programStore), m_productStore(productStore)
    {
    }
    ApplicationContext(const ApplicationContext&) = delete;
    ApplicationContext& operator=(const ApplicationContext&) = delete;

    UserPrompts& prompts() const { return m_prompts; }
    // The program's own store (read and written) and the product's (read only).
    platform::SettingsStore& programStore() const { return m_programStore; }
    platform::SettingsStore& productStore() const { return m_productStore; }

    ProductFolders folders;
    ModeFlags flags;
    ProgramSettings settings;
    LockTiming lockTiming;
    UserAccessState userAccess;
    // The report types of the loaded configuration; empty while none is loaded.
    ReportTypeList reportTypes;
    // Where the report format library is looked for, in order; empty: the usual places.
    std::vector<std::string> reportLibraryCandidates;
    // The local date and time, for what the program dates and ages (a test sets its own day).
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    // Why byte locks on the user control file may not keep other workstations out (empty: they do); a test
    // puts a stand-in here.
    std::function<std::string(const std::string& path)> byteLockProblem = platform::ByteLockProblem;
    // What a silent archive start ends the program with (kExit...).
    int exitCode = kExitSuccess;

private:
    UserPrompts& m_prompts;
    platform::SettingsStore& m_programStore;
    platform::SettingsStore& m_productStore;
};

} // namespace talmere
