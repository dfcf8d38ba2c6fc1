#include "view/ReportExport.h"

#include "config/ReportConfiguration.h"
#include "core/CommandLine.h"
#include "core/Folders.h"
#include "core/ProductDirectories.h"
#include "core/UserPrompts.h"
#include "view/ReportDocument.h"
#include "view/ReportLayout.h"
#include "view/ReportPrinting.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>

#include <memory>

namespace talmere {

namespace {

// The report text's own folder in the private folder, and its name there.
const QString kExportFolderTemplate = QStringLiteral("TALMREXP-XXXXXX");
const QString kExportTextName = QStringLiteral("REPORT.TXT");

bool IsOption(const QString& argument, const QString& option)
{
    return argument.compare(option, Qt::CaseInsensitive) == 0;
}

// N of "N=VALUE": 1 .. kFilterFieldCount written in plain digits, else 0.
int FilterNumber(const QString& text)
{
    if (text.isEmpty() || text.size() > 2) {
        return 0;
    }
    for (const QChar character : text) {
        if (character < QLatin1Char('0') || character > QLatin1Char('9')) {
            return 0;
        }
    }
    const int number = text.toInt();
    return number >= 1 && number <= kFilterFieldCount ? number : 0;
}

// A value as the selection dialog takes it: in capitals, at most the field's length (0 or below: no limit).
QString SelectionValue(const TReportFilterFieldInfo& field, QString value)
{
    for (QChar& character : value) {
        character = character.toUpper();
    }
    if (field.Length > 0 && value.size() > field.Length) {
        value.truncate(field.Length);
    }
    return value;
}

// The listed report type of the name, without regard to case; -1 when there is none. Action types route
// staged files and have no reports.
int FindReportType(const ApplicationContext& context, const QString& name)
{
    for (std::size_t i = 0; i < context.reportTypes.size(); ++i) {
        const ReportTypeEntry& type = context.reportTypes[i];
        if (type.name.compare(name, Qt::CaseInsensitive) == 0 && !IsActionFormat(type.info.ReportFormat)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// True when both paths name one existing file.
bool SameFile(const QString& first, const QString& second)
{
    const QString a = QFileInfo(first).canonicalFilePath();
    return !a.isEmpty() && a == QFileInfo(second).canonicalFilePath();
}

// A folder of the export's own for the report text: in the private folder, else the system's temporary
// folder. Removed with everything in it when it goes.
std::unique_ptr<QTemporaryDir> ExportFolder(const ApplicationContext& context)
{
    auto folder = std::make_unique<QTemporaryDir>(context.folders.PrivateDirectory + kExportFolderTemplate);
    if (!folder->isValid()) {
        folder = std::make_unique<QTemporaryDir>(QDir::temp().filePath(kExportFolderTemplate));
    }
    return folder->isValid() ? std::move(folder) : nullptr;
}

// The configuration is freed however the export ends.
class ConfigurationHold {
public:
    explicit ConfigurationHold(ApplicationContext& context) : m_context(context) {}
    ~ConfigurationHold() { FreeReportConfiguration(m_context); }
    ConfigurationHold(const ConfigurationHold&) = delete;
    ConfigurationHold& operator=(const ConfigurationHold&) = delete;

private:
    ApplicationContext& m_context;
};

} // namespace

bool IsPdfExportCommand(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (IsOption(argument, kExportPdfSwitch)) {
            return true;
        }
    }
    return false;
}

std::optional<PdfExportRequest> ParsePdfExportArguments(const QStringList& arguments, QString* error)
{
    const auto fail = [error](const QString& text) -> std::optional<PdfExportRequest> {
        if (error != nullptr) {
            *error = text;
        }
        return std::nullopt;
    };
    PdfExportRequest request;
    bool exportSeen = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (IsOption(argument, kExportPdfSwitch)) {
            if (exportSeen) {
                return fail(QStringLiteral("--export-pdf is given more than once."));
            }
            exportSeen = true;
            // The three operands follow at once; an option in their place means one is missing.
            QStringList operands;
            for (qsizetype k = i + 1; k < arguments.size() && operands.size() < 3; ++k) {
                if (arguments[k].isEmpty() || arguments[k].startsWith(QStringLiteral("--"))) {
                    break;
                }
                operands << arguments[k];
            }
            if (operands.size() < 3) {
                return fail(QStringLiteral("--export-pdf needs a report type, a report file and a PDF file."));
            }
            request.typeName = operands[0];
            request.reportFile = operands[1];
            request.pdfPath = operands[2];
            i += 3;
        } else if (IsOption(argument, QStringLiteral("--filter"))) {
            if (i + 1 >= arguments.size()) {
                return fail(QStringLiteral("--filter needs a value: N=VALUE."));
            }
            const QString& value = arguments[++i];
            const qsizetype equals = value.indexOf(QLatin1Char('='));
            const int number = equals < 0 ? 0 : FilterNumber(value.left(equals));
            if (number == 0) {
                return fail(
                    QStringLiteral("--filter takes N=VALUE with N from 1 to %1: %2").arg(kFilterFieldCount).arg(value));
            }
            const auto n = static_cast<std::size_t>(number - 1);
            request.filterValues[n] = value.mid(equals + 1);
            request.filterGiven[n] = true;
        } else {
            // Only the start's mode switches may come with the command.
            ModeFlags scratch;
            if (ParseProgramArguments({argument}, scratch) != CommandLineAction::Run) {
                return fail(QStringLiteral("Unknown argument: %1").arg(argument));
            }
            if (scratch.SilentArchive) {
                // An export archives nothing: the switch would be silently ignored.
                return fail(QStringLiteral("%1 cannot come with --export-pdf.").arg(argument));
            }
            request.startArguments << argument;
        }
    }
    if (!exportSeen) {
        return fail(QStringLiteral("--export-pdf is missing."));
    }
    return request;
}

int RunPdfExport(ApplicationContext& context, const platform::PrinterSystem& printers, const PdfExportRequest& request)
{
    try {
        // Both tell the user when they fail.
        if (!ResolveReportArchiveFolder(context)) {
            return kExportFailed;
        }
        const ConfigurationHold hold(context);
        if (!LoadReportConfiguration(context)) {
            return kExportFailed;
        }
        return ExportReportPdf(context, printers, request);
    } catch (...) {
        context.prompts().error(kGenerationExceptionMessage);
        return kExportFailed;
    }
}

int ExportReportPdf(const ApplicationContext& context, const platform::PrinterSystem& printers,
                    const PdfExportRequest& request)
{
    const auto fail = [&context](const QString& message) {
        context.prompts().error(message);
        return kExportFailed;
    };
    try {
        const int typeIndex = FindReportType(context, request.typeName);
        if (typeIndex < 0) {
            return fail(kUnknownReportTypeMessage.arg(request.typeName));
        }
        const ReportTypeEntry& entry = context.reportTypes[static_cast<std::size_t>(typeIndex)];
        const TReportConfigInfoRecord& type = entry.info;

        QString message;
        QString reportFile;
        if (request.reportFile.contains(QLatin1Char('/'))) {
            reportFile = QFileInfo(request.reportFile).absoluteFilePath();
            if (!FileExists(reportFile)) {
                return fail(kReportFileMissingMessage);
            }
        } else {
            reportFile = LocateArchivedReport(context, typeIndex, request.reportFile, &message);
            if (reportFile.isEmpty()) {
                return fail(message);
            }
        }
        if (SameFile(reportFile, request.pdfPath)) {
            return fail(kPdfWouldReplaceReportMessage.arg(request.pdfPath));
        }

        // The values the selection dialog would have given: a field it would not show cannot have one.
        FilterValues values;
        for (int i = 0; i < kFilterFieldCount; ++i) {
            const auto n = static_cast<std::size_t>(i);
            if (!request.filterGiven[n]) {
                continue;
            }
            if (type.FilterFields[n].Name.isEmpty()) {
                return fail(kNoSuchFilterFieldMessage.arg(entry.name).arg(i + 1));
            }
            values[n] = SelectionValue(type.FilterFields[n], request.filterValues[n]);
        }

        // Declared before the document, which maps the report text: the folder goes last.
        const std::unique_ptr<QTemporaryDir> folder = ExportFolder(context);
        if (!folder) {
            return fail(kCriticalFoldersMissingMessage);
        }
        const QString reportText = folder->filePath(kExportTextName);
        if (!WriteReportText(context, typeIndex, reportFile, values, reportText, true, &message)) {
            return fail(message);
        }
        QString error;
        const std::unique_ptr<ReportDocument> document =
            ReportDocument::load(reportText, type.ReportLoadMethod, type.Font, type.PointSize.toInt(), &error);
        if (!document) {
            return fail(kReportNotLoadedMessage.arg(error));
        }

        QPrinter printer(QPrinter::HighResolution);
        SelectReportPrinter(printer, type, printers);
        printer.setFullPage(true);
        const ReportLayout layout(*document, DecorationOf(type, context.clock()), MetricsOf(printer));
        if (!ExportPdf(layout, request.pdfPath, type.ReportDesc, &error)) {
            return fail(kPdfNotSavedMessage.arg(error));
        }
        return kExportSucceeded;
    } catch (...) {
        return fail(kGenerationExceptionMessage);
    }
}

} // namespace talmere
