// The Preferences dialog as a user works it: the printer and purge of each type, switching types, OK and Cancel,
// the preprocessor chosen with "...".

#include "gui/TfrmPreferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

using namespace talmere;

namespace {

PreferenceSet Working()
{
    PreferenceSet preferences;
    preferences.ReportArchivePreprocessor = "prep.sh --quick";
    preferences.Types = {{1, "Acknowledgments", "30", "Removed Printer"},
                         {2, "Payer Letters", "-1", "laser 2"},
                         {4, "Remittances", "20000", ""}};
    return preferences;
}

class Preferences : public ::testing::Test {
protected:
    std::unique_ptr<TfrmPreferences> open(bool purgeEnabled = true, OpenFileChooser chooser = {})
    {
        auto dialog = std::make_unique<TfrmPreferences>(Working(), QStringList{"Laser 1", "Laser 2"}, purgeEnabled, 180,
                                                        std::move(chooser));
        dialog->show();
        return dialog;
    }
    template <class T>
    static T* find(TfrmPreferences& dialog, const char* name)
    {
        T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
};

} // namespace

TEST_F(Preferences, EachTypeShowsItsPrinterAndPurgeAndOkKeepsTheChangesOfEveryType)
{
    auto dialog = open();
    EXPECT_EQ(dialog->windowTitle(), "Report Manager Preferences");
    auto* types = find<QComboBox>(*dialog, "cbReportType");
    auto* printer = find<QComboBox>(*dialog, "cbReportPrinter");
    auto* purge = find<QCheckBox>(*dialog, "chkPurgeReportArchiveFiles");
    auto* days = find<QSpinBox>(*dialog, "PurgeReportArchiveDays");
    ASSERT_EQ(types->count(), 3);
    EXPECT_EQ(printer->itemText(0), "<< Use System Default Printer >>");
    // A printer that is no longer there shows as the default.
    EXPECT_EQ(printer->currentIndex(), 0);
    EXPECT_TRUE(purge->isChecked());
    EXPECT_EQ(days->value(), 30);

    printer->setCurrentIndex(1);
    types->setCurrentIndex(1);
    // Printer names are matched without regard to case; no purging shows the program's days.
    EXPECT_EQ(printer->currentText(), "Laser 2");
    EXPECT_FALSE(purge->isChecked());
    EXPECT_EQ(days->value(), 180);
    purge->setChecked(true);

    types->setCurrentIndex(2);
    EXPECT_EQ(days->value(), 9999) << "shown clamped";
    QTest::mouseClick(find<QPushButton>(*dialog, "BtnOK"), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const PreferenceSet chosen = dialog->preferences();
    EXPECT_EQ(chosen.Types[0], (TReportPrefInfoRecord{1, "Acknowledgments", "30", "Laser 1"}));
    EXPECT_EQ(chosen.Types[1], (TReportPrefInfoRecord{2, "Payer Letters", "180", "Laser 2"}));
    EXPECT_EQ(chosen.Types[2].ArchiveDays, "20000") << "stored unchanged unless the user changes it";
    EXPECT_EQ(chosen.Types[2].ReportPrinter, "");
    EXPECT_EQ(chosen.ReportArchivePreprocessor, "prep.sh --quick");
}

TEST_F(Preferences, WithoutPurgingTheDaysAreNeitherShownNorReadAndEscCancels)
{
    auto dialog = open(false);
    EXPECT_FALSE(find<QCheckBox>(*dialog, "chkPurgeReportArchiveFiles")->isEnabled());
    EXPECT_FALSE(find<QSpinBox>(*dialog, "PurgeReportArchiveDays")->isEnabled());
    find<QCheckBox>(*dialog, "chkPerformMailboxCleanupOnStartup")->setChecked(false);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    // The caller applies nothing after Cancel. With purging off, the days of every type stay as they were; the
    // printer shown is stored into the copy whichever button closed the dialog.
    const PreferenceSet copy = dialog->preferences();
    for (std::size_t i = 0; i < copy.Types.size(); ++i) {
        EXPECT_EQ(copy.Types[i].ArchiveDays, Working().Types[i].ArchiveDays);
    }
    EXPECT_EQ(copy.Types[0].ReportPrinter, "");
}

TEST_F(Preferences, ThePreprocessorChosenWithTheButtonIsQuotedWhenItHasBlanks)
{
    QString askedFolder;
    QString askedFile;
    auto dialog = open(true, [&](QWidget*, const QString& folder, const QString& file) {
        askedFolder = folder;
        askedFile = file;
        return QStringLiteral("/opt/Program Files/Tool/prep.sh");
    });
    auto* text = find<QLineEdit>(*dialog, "ReportArchivePreprocessor");
    text->setText("\"/usr/local/my tools/old prep.sh\" -x");
    QTest::mouseClick(find<QPushButton>(*dialog, "BtnReportArchivePreprocessor"), Qt::LeftButton);
    EXPECT_EQ(askedFolder, "/usr/local/my tools");
    EXPECT_EQ(askedFile, "old prep.sh");
    // The parameters after the program are not kept.
    EXPECT_EQ(text->text(), "\"/opt/Program Files/Tool/prep.sh\"");
    EXPECT_EQ(text->maxLength(), 255);
}
