#pragma once

#include "core/ApplicationContext.h"

namespace talmere {

// The report types come from the workstation's TALMERE.INI: section "Report Types" names them, and
// "Report Details - " + name holds each type's keys. The types of other claim contexts are left out.

inline const QString kReportConfigurationFileName = QStringLiteral("TALMERE.INI");
inline const QString kTerminationNotice = QStringLiteral(" The report viewer program will now be terminated.");

// Reads, validates and completes the report type list of the context (staging and destination folders
// resolved, list columns from the report format library, archive subfolders created). On failure the user
// has been told, once, and the list stays empty; the start must end. Warnings about unusable staging or
// destination folders do not stop it.
bool LoadReportConfiguration(ApplicationContext& context);
void FreeReportConfiguration(ApplicationContext& context);

// Whether the archive run must leave the files of a COPY or MOVE type alone this time: a type restricted to
// one claim context copies or moves only while its own kind of claims has recently been prepared, or while
// neither kind has (when both contexts are shown and the type asks for it).
bool ContextSkip(const ApplicationContext& context, int typeIndex);

// The day (days since 30 December 1899) on which claims of one context ("UB92" or "1500") were last
// prepared, recently: today when nothing is known or neither kind was prepared recently, 0 when only the
// other kind was.
long LastPrepareDateTest(const ApplicationContext& context, const QString& ownContext);

// The archive subfolder of a report type: the report archive folder and the archive prefix, with the
// separator at the end.
QString ArchiveSubfolder(const ApplicationContext& context, int typeIndex);

} // namespace talmere
