#include "core/ProgramSettings.h"

#include "common/IniFile.h"
#include "common/TextUtil.h"
#include "core/AnsiText.h"
#include "core/Folders.h"
#include "platform/PrinterSystem.h"
#include "platform/SettingsStore.h"

#include <algorithm>
#include <array>
#include <optional>

namespace talmere {

namespace {

const QString kGeneral = QStringLiteral("General");
const char* const kIniGeneral = "General";

struct PositionSet {
    const char* prefix;
    WindowPosition ProgramSettings::*member;
};

// In the order they are written.
constexpr std::array<PositionSet, 3> kPositionSets = {{
    {"ReportListPosition", &ProgramSettings::ReportListPosition},
    {"PortraitPreviewDialog", &ProgramSettings::PortraitPreviewDialog},
    {"LandscapePreviewDialog", &ProgramSettings::LandscapePreviewDialog},
}};

struct PositionField {
    const char* suffix;
    int WindowPosition::*member;
};

constexpr std::array<PositionField, 5> kPositionFields = {{
    {"Left", &WindowPosition::Left},
    {"Top", &WindowPosition::Top},
    {"Width", &WindowPosition::Width},
    {"Height", &WindowPosition::Height},
    {"State", &WindowPosition::State},
}};

// Integers are decimal text; booleans are integers, 0 false and anything else true. A missing value, or
// one that is no integer, gives the default.
int IntegerOr(const std::optional<QString>& text, int defaultValue)
{
    if (!text) {
        return defaultValue;
    }
    return ParseInteger(text->toStdString()).value_or(defaultValue);
}

bool BooleanOr(const std::optional<QString>& text, bool defaultValue)
{
    if (!text) {
        return defaultValue;
    }
    const std::optional<int> value = ParseInteger(text->toStdString());
    return value ? *value != 0 : defaultValue;
}

QString BooleanText(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

// A key of an INI file's "General" section, as text; nothing when the key is missing.
std::optional<QString> IniText(const IniFile& ini, const char* key)
{
    if (!ini.hasKey(kIniGeneral, key)) {
        return std::nullopt;
    }
    return FromAnsi(ini.value(kIniGeneral, key));
}

} // namespace

void LoadSettings(ApplicationContext& context)
{
    ProgramSettings settings;
    const platform::SettingsStore& store = context.programStore();
    const auto stored = [&](const char* name) { return store.value(kGeneral, QLatin1String(name)); };

    settings.ReportArchivePreprocessor = stored("ReportArchivePreprocessor").value_or(QString());
    // These two count only when the user's store has them with some text; otherwise TALMERE.INI decides.
    const std::optional<QString> cleanup = stored("PerformMailboxCleanupOnStartup");
    const bool cleanupStored = cleanup && !cleanup->isEmpty();
    if (cleanupStored) {
        settings.PerformMailboxCleanupOnStartup = BooleanOr(cleanup, true);
    }
    settings.MailboxCleanupDays = IntegerOr(stored("MailboxCleanupDays"), 31);
    const std::optional<QString> printerDialog = stored("DisplayPrinterDialogOnPreview");
    const bool printerDialogStored = printerDialog && !printerDialog->isEmpty();
    if (printerDialogStored) {
        settings.DisplayPrinterDialogOnPreview = BooleanOr(printerDialog, false);
    }
    for (const PositionSet& set : kPositionSets) {
        for (const PositionField& field : kPositionFields) {
            const QString name = QLatin1String(set.prefix) + QLatin1String(field.suffix);
            (settings.*set.member).*field.member = IntegerOr(store.value(kGeneral, name), -1);
        }
    }

    const QString install = context.folders.InstallDirectory;
    const QString productFile = install.isEmpty() ? QString() : ResolveNoCase(install + QStringLiteral("QORVA32.INI"));
    const bool productFileExists = FileExists(productFile);
    if (productFileExists) {
        // The file decides, also by leaving a key out: then the empty default applies, not the built-in text.
        const IniFile product = IniFile::load(ToNativePath(productFile));
        settings.ProductName = IniText(product, "ProductName").value_or(QString());
        settings.Copyright = IniText(product, "Copyright").value_or(QString());
        settings.OwnershipComment = IniText(product, "OwnershipComment").value_or(QString());
        settings.CenturyDatePivotYear = IntegerOr(IniText(product, "CenturyDatePivotYear"), 65);
        settings.BypassUserMonitoring = BooleanOr(IniText(product, "BypassUserMonitoring"), false);
    }

    const IniFile configuration =
        install.isEmpty() ? IniFile()
                          : IniFile::load(ToNativePath(ResolveNoCase(install + QStringLiteral("TALMERE.INI"))));
    const auto configured = [&](const char* key) { return IniText(configuration, key); };
    if (!productFileExists) {
        settings.CenturyDatePivotYear = IntegerOr(configured("CenturyDatePivotYear"), 65);
    }
    if (!cleanupStored) {
        settings.PerformMailboxCleanupOnStartup = BooleanOr(configured("PerformMailboxCleanupOnStartup"), true);
    }
    if (!printerDialogStored) {
        settings.DisplayPrinterDialogOnPreview = BooleanOr(configured("DisplayPrinterDialogOnPreview"), false);
    }
    // A folder: the bytes of a file name, not display text. An empty value stays empty.
    if (configuration.hasKey(kIniGeneral, "ReportArchiveDirectory")) {
        settings.ReportArchiveDirectory = FromNativePath(configuration.value(kIniGeneral, "ReportArchiveDirectory"));
    }
    settings.BypassDefaultPrinterAssignmentCheck = BooleanOr(configured("BypassDefaultPrinterAssignmentCheck"), false);
    settings.PurgeReportArchiveFiles = BooleanOr(configured("PurgeReportArchiveFiles"), true);
    settings.PurgeReportArchiveDays = IntegerOr(configured("PurgeReportArchiveDays"), 180);
    settings.ReportArchivePreprocessorTimeout = IntegerOr(configured("ReportArchivePreprocessorTimeout"), 30);
    settings.EnableCopyOrMoveBasedOnContext = BooleanOr(configured("EnableCopyOrMoveBasedOnContext"), true);
    settings.ContextCopyOrMoveRecentDays = IntegerOr(configured("ContextCopyOrMoveRecentDays"), 60);
    settings.PerformStagedFileUnZIP = BooleanOr(configured("PerformStagedFileUnZIP"), false);
    settings.ZipMaxTotalMB = IntegerOr(configured("ZipMaxTotalMB"), settings.ZipMaxTotalMB);
    settings.ZipMaxEntries = IntegerOr(configured("ZipMaxEntries"), settings.ZipMaxEntries);
    settings.ZipMaxRatio = IntegerOr(configured("ZipMaxRatio"), settings.ZipMaxRatio);

    context.settings = settings;
}

void SaveSettings(const ApplicationContext& context)
{
    const ProgramSettings& settings = context.settings;
    platform::SettingsStore& store = context.programStore();
    store.setValue(kGeneral, QStringLiteral("ReportArchivePreprocessor"), settings.ReportArchivePreprocessor);
    store.setValue(kGeneral, QStringLiteral("PerformMailboxCleanupOnStartup"),
                   BooleanText(settings.PerformMailboxCleanupOnStartup));
    store.setValue(kGeneral, QStringLiteral("DisplayPrinterDialogOnPreview"),
                   BooleanText(settings.DisplayPrinterDialogOnPreview));
    for (const PositionSet& set : kPositionSets) {
        for (const PositionField& field : kPositionFields) {
            store.setValue(kGeneral, QLatin1String(set.prefix) + QLatin1String(field.suffix),
                           QString::number((settings.*set.member).*field.member));
        }
    }
    // Write errors of the store are not the user's concern.
    store.flush();
}

void SelectPreviewPosition(ApplicationContext& context, int orientation)
{
    ProgramSettings& settings = context.settings;
    if (orientation == 0) {
        settings.PreviewPosition = settings.PortraitPreviewDialog;
    } else if (orientation == 1) {
        settings.PreviewPosition = settings.LandscapePreviewDialog;
    }
}

void StorePreviewPosition(ApplicationContext& context, int orientation)
{
    ProgramSettings& settings = context.settings;
    if (orientation == 0) {
        settings.PortraitPreviewDialog = settings.PreviewPosition;
    } else if (orientation == 1) {
        settings.LandscapePreviewDialog = settings.PreviewPosition;
    }
}

bool CheckDefaultPrinter(const ApplicationContext& context, const platform::PrinterSystem& printers, bool tellUser)
{
    if (context.settings.BypassDefaultPrinterAssignmentCheck) {
        return true;
    }
    if (!printers.defaultPrinterName().isEmpty()) {
        return true;
    }
    if (tellUser) {
        context.prompts().error(QStringLiteral("This system has no default printer assigned. Reports cannot be "
                                               "printed without a default printer assignment."));
    }
    return false;
}

MainWindowPlacement PlaceMainWindow(const WindowPosition& saved, const WindowGeometry& designed, int minimumWidth,
                                    int minimumHeight, int screenWidth, int screenHeight)
{
    MainWindowPlacement placement{designed, false};
    WindowGeometry& g = placement.geometry;
    g.height = std::max(screenHeight / 2, minimumHeight);
    // Integer division drops the fraction towards zero, as the centring has always done.
    const auto centre = [&] {
        g.left = (screenWidth - g.width) / 2;
        g.top = (screenHeight - g.height) / 2;
    };
    if (saved.Left == -1) {
        centre();
    } else if (saved.State == -1 || saved.State == 0) {
        g = {saved.Left, saved.Top, saved.Width, saved.Height};
    } else if (saved.State == 1) {
        // Centred first, so that leaving the maximised state gives this size back.
        centre();
        placement.maximised = true;
    }
    // The window never gets smaller than its minimum size, whatever was saved.
    g.width = std::max(g.width, minimumWidth);
    g.height = std::max(g.height, minimumHeight);
    return placement;
}

void RecordMainWindowPlacement(ProgramSettings& settings, const WindowGeometry& geometry, bool maximised)
{
    settings.ReportListPosition = {geometry.left, geometry.top, geometry.width, geometry.height, maximised ? 1 : 0};
}

} // namespace talmere
