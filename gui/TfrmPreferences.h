#pragma once

// "Report Manager Preferences": per report type its printer and how long its archived reports stay; the archive
// preprocessor, the start-up mailbox cleanup and the print dialog of the preview for the whole program.

#include "config/Preferences.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace talmere {

// The entry of the printer list that stands for the system's default printer.
inline const QString kDefaultPrinterEntry = QStringLiteral("<< Use System Default Printer >>");

// Asks the user for an existing file, starting in a folder with a file name preset; empty when none was chosen.
using OpenFileChooser = std::function<QString(QWidget* parent, const QString& folder, const QString& fileName)>;

class TfrmPreferences : public QDialog {
    Q_OBJECT

public:
    // purgeEnabled and purgeDays: the PurgeReportArchiveFiles and PurgeReportArchiveDays settings. Without a
    // chooser the "..." button shows the system's open-file dialog.
    TfrmPreferences(PreferenceSet preferences, const QStringList& printerNames, bool purgeEnabled, int purgeDays,
                    OpenFileChooser chooser = {}, QWidget* parent = nullptr);

    // The working copy, with the current type stored: what OK applies.
    PreferenceSet preferences() const { return m_preferences; }

    void done(int result) override;

private:
    void showCurrent();
    void storeCurrent();
    void typeChosen(int item);
    void choosePreprocessor();

    PreferenceSet m_preferences;
    bool m_purgeEnabled;
    int m_purgeDays;
    OpenFileChooser m_chooser;
    int m_current = -1;
    int m_daysShownAtStart = 0;

    QComboBox* m_types = nullptr;
    QComboBox* m_printers = nullptr;
    QCheckBox* m_purge = nullptr;
    QSpinBox* m_days = nullptr;
    QLineEdit* m_preprocessor = nullptr;
    QCheckBox* m_cleanup = nullptr;
    QCheckBox* m_printDialog = nullptr;
};

} // namespace talmere
