#pragma once

// The note an archive run keeps while it files one staged file: written before the first step that changes
// anything and removed after the log line, so that a run killed in between (the archived copy complete but
// the staged file still there, or the file gone but not logged) is completed by the next run instead of
// filing the file a second time. It lives in the report archive folder, which every workstation filing into
// that archive shares, and only a run holding the archive lock reads or writes it.

#include "core/ApplicationContext.h"
#include "platform/FileSystem.h"

#include <QString>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace talmere {

inline const QString kFilingJournalFileName = QStringLiteral("TALMERE-FILING.JNL");

// One staged file's filing: the action of its archive log line (ARCHIVE, MOVE or DELETE), its report type,
// the staged file as it was when the filing began, and where it goes (empty for DELETE). The unpacking of a
// staged ZIP file is action UNZIP, with the ZIP file as the staged file, its folder as the target and, once
// every entry is written, the entries' temporary paths and wanted names.
struct FilingStep {
    QString action;
    QString reportType;
    QString staged;
    platform::FileIdentity identity;
    QString target;
    std::vector<std::pair<std::string, std::string>> entries;
};

// The journal file's text of a step, and the step of a text; nothing for a text cut short or damaged.
std::string FilingJournalText(const FilingStep& step);
std::optional<FilingStep> ParseFilingJournal(std::string_view text);

class FilingJournal {
public:
    explicit FilingJournal(const ApplicationContext& context);
    ~FilingJournal() { end(); }
    FilingJournal(const FilingJournal&) = delete;
    FilingJournal& operator=(const FilingJournal&) = delete;

    // Notes the step (replacing the one noted before). False when the note cannot be written: the step must
    // then not be taken.
    bool begin(const FilingStep& step);
    // The step is complete and logged.
    void end();

private:
    std::string m_path;
    bool m_open = false;
};

// What the next run does with a step that a killed run left noted: an archived copy that has its name lets
// the staged file go when it is still the same file, the program's unfinished copies in the target's folder
// go, and the log gets the line the step lacks. Then the note goes. Nothing when no step is noted; a note cut
// short (the run was killed while writing it, before anything else) just goes.
void CompleteUnfinishedFiling(ApplicationContext& context);

// The same for an unpacking: when every entry was written and the ZIP file is still the one that was being
// unpacked, the entries not yet named take their names and the ZIP file goes; the program's temporary files
// of the folder go in any case.
void CompleteUnpacking(const FilingStep& step);

} // namespace talmere
