#include "gui/TfrmPreferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace talmere {

namespace {

constexpr int kPreprocessorLength = 255;

QString SystemOpenFile(QWidget* parent, const QString& folder, const QString& fileName)
{
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setNameFilter(QStringLiteral("All files (*)"));
    dialog.setDirectory(folder);
    dialog.selectFile(fileName);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                   : QString();
}

} // namespace

TfrmPreferences::TfrmPreferences(PreferenceSet preferences, const QStringList& printerNames, bool purgeEnabled,
                                 int purgeDays, OpenFileChooser chooser, QWidget* parent)
    : QDialog(parent), m_preferences(std::move(preferences)), m_purgeEnabled(purgeEnabled), m_purgeDays(purgeDays),
      m_chooser(chooser ? std::move(chooser) : OpenFileChooser(SystemOpenFile))
{
    setObjectName(QStringLiteral("frmPreferences"));
    setWindowTitle(QStringLiteral("Report Manager Preferences"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* reports = new QGroupBox(QStringLiteral(" Report Preferences (Select Desired Report Type) "), this);
    auto* reportsLayout = new QGridLayout(reports);
    reportsLayout->addWidget(new QLabel(QStringLiteral("Report Type:"), reports), 0, 0);
    m_types = new QComboBox(reports);
    m_types->setObjectName(QStringLiteral("cbReportType"));
    reportsLayout->addWidget(m_types, 0, 1);

    auto* settings = new QGroupBox(QStringLiteral(" Settings For Selected Report Type "), reports);
    auto* settingsLayout = new QGridLayout(settings);
    settingsLayout->addWidget(new QLabel(QStringLiteral("Default Printer:"), settings), 0, 0);
    m_printers = new QComboBox(settings);
    m_printers->setObjectName(QStringLiteral("cbReportPrinter"));
    m_printers->addItem(kDefaultPrinterEntry);
    m_printers->addItems(printerNames);
    settingsLayout->addWidget(m_printers, 0, 1, 1, 3);
    m_purge = new QCheckBox(QStringLiteral("Purge archived reports of this type after"), settings);
    m_purge->setObjectName(QStringLiteral("chkPurgeReportArchiveFiles"));
    m_days = new QSpinBox(settings);
    m_days->setObjectName(QStringLiteral("PurgeReportArchiveDays"));
    m_days->setRange(kMinimumArchiveDays, kMaximumArchiveDays);
    m_days->setValue(180);
    m_days->setGroupSeparatorShown(false);
    // The number changes by the arrows only, as the box beside an up-down control does.
    m_days->findChild<QLineEdit*>()->setReadOnly(true);
    settingsLayout->addWidget(m_purge, 1, 0, 1, 2);
    settingsLayout->addWidget(m_days, 1, 2);
    settingsLayout->addWidget(new QLabel(QStringLiteral("days"), settings), 1, 3);
    reportsLayout->addWidget(settings, 1, 0, 1, 2);
    reportsLayout->setColumnStretch(1, 1);
    // The purge controls are the user's only where purging is switched on.
    m_purge->setEnabled(m_purgeEnabled);
    m_days->setEnabled(m_purgeEnabled);

    auto* preprocessorLabel = new QLabel(QStringLiteral("Report Archive Preprocessor (leave blank for none):"), this);
    m_preprocessor = new QLineEdit(m_preferences.ReportArchivePreprocessor, this);
    m_preprocessor->setObjectName(QStringLiteral("ReportArchivePreprocessor"));
    m_preprocessor->setMaxLength(kPreprocessorLength);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QStringLiteral("BtnReportArchivePreprocessor"));
    browse->setFixedWidth(30);
    connect(browse, &QPushButton::clicked, this, &TfrmPreferences::choosePreprocessor);
    auto* preprocessorRow = new QHBoxLayout;
    preprocessorRow->addWidget(m_preprocessor);
    preprocessorRow->addWidget(browse);

    m_cleanup = new QCheckBox(
        QStringLiteral("Perform automatic cleanup of old and unprocessable files from standard mailbox folder"), this);
    m_cleanup->setObjectName(QStringLiteral("chkPerformMailboxCleanupOnStartup"));
    m_cleanup->setChecked(m_preferences.PerformMailboxCleanupOnStartup);
    m_printDialog = new QCheckBox(
        QStringLiteral("Display the standard print dialog when printing from the report previewer"), this);
    m_printDialog->setObjectName(QStringLiteral("chkDisplayPrinterDialogOnPreview"));
    m_printDialog->setChecked(m_preferences.DisplayPrinterDialogOnPreview);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("BtnOK"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("BtnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(reports);
    layout->addWidget(preprocessorLabel);
    layout->addLayout(preprocessorRow);
    layout->addWidget(m_cleanup);
    layout->addWidget(m_printDialog);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (const TReportPrefInfoRecord& record : m_preferences.Types) {
        m_types->addItem(record.ReportDesc);
    }
    if (!m_preferences.Types.empty()) {
        m_current = 0;
        m_types->setCurrentIndex(0);
        showCurrent();
    }
    connect(m_types, &QComboBox::currentIndexChanged, this, &TfrmPreferences::typeChosen);
}

void TfrmPreferences::showCurrent()
{
    const TReportPrefInfoRecord& record = m_preferences.Types[static_cast<std::size_t>(m_current)];
    int printer = 0;
    for (int i = 1; i < m_printers->count(); ++i) {
        if (!record.ReportPrinter.isEmpty() &&
            m_printers->itemText(i).compare(record.ReportPrinter, Qt::CaseInsensitive) == 0) {
            printer = i;
            break;
        }
    }
    m_printers->setCurrentIndex(printer);
    if (m_purgeEnabled) {
        m_purge->setChecked(record.ArchiveDays.trimmed() != QLatin1String("-1"));
        m_days->setValue(ArchiveDaysShown(record.ArchiveDays, m_purgeDays));
        m_daysShownAtStart = m_days->value();
    }
}

void TfrmPreferences::storeCurrent()
{
    if (m_current < 0) {
        return;
    }
    TReportPrefInfoRecord& record = m_preferences.Types[static_cast<std::size_t>(m_current)];
    record.ReportPrinter = m_printers->currentIndex() <= 0 ? QString() : m_printers->currentText();
    if (m_purgeEnabled) {
        record.ArchiveDays = m_purge->isChecked()
                                 ? ArchiveDaysStored(record.ArchiveDays, m_daysShownAtStart, m_days->value())
                                 : QStringLiteral("-1");
    }
}

void TfrmPreferences::typeChosen(int item)
{
    if (item < 0 || item >= static_cast<int>(m_preferences.Types.size())) {
        return;
    }
    storeCurrent();
    m_current = item;
    showCurrent();
}

void TfrmPreferences::done(int result)
{
    // Whichever button closed the dialog, the shown type is stored; only OK hands the copy on.
    storeCurrent();
    m_preferences.ReportArchivePreprocessor = m_preprocessor->text();
    m_preferences.PerformMailboxCleanupOnStartup = m_cleanup->isChecked();
    m_preferences.DisplayPrinterDialogOnPreview = m_printDialog->isChecked();
    QDialog::done(result);
}

void TfrmPreferences::choosePreprocessor()
{
    // The program is the command's first word: up to the closing quote when it starts with one.
    QString command = m_preprocessor->text().trimmed();
    if (command.startsWith(QLatin1Char('"'))) {
        command = command.mid(1);
        const qsizetype quote = command.indexOf(QLatin1Char('"'));
        if (quote >= 0) {
            command = command.left(quote);
        }
    }
    const QFileInfo current(command);
    const QString folder = command.isEmpty() ? QString() : current.absolutePath();
    const QString chosen = m_chooser(this, folder, command.isEmpty() ? QString() : current.fileName());
    if (chosen.isEmpty()) {
        return;
    }
    m_preprocessor->setText(chosen.contains(QLatin1Char(' ')) ? QLatin1Char('"') + chosen + QLatin1Char('"') : chosen);
}

} // namespace talmere
