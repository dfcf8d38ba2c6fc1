#include "archive/ArchiveLog.h"

#include "core/AnsiText.h"
#include "platform/FileTransfer.h"

namespace talmere {

namespace {

// A tab or line break inside a value would break the line apart.
QString Field(const QString& value)
{
    QString text = value;
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            c = QLatin1Char(' ');
        }
    }
    return text;
}

} // namespace

void LogArchiveAction(const ApplicationContext& context, const QString& reportType, const QString& file,
                      const QString& action, const QString& destination)
{
    const QString folder = context.folders.ReportArchiveFolder;
    if (folder.isEmpty()) {
        return;
    }
    const QString line = context.clock().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + QLatin1Char('\t') +
                         Field(reportType) + QLatin1Char('\t') + Field(file) + QLatin1Char('\t') + action +
                         QLatin1Char('\t') + Field(destination) + QLatin1Char('\n');
    platform::AppendToFile(ToNativePath(folder + kArchiveLogFileName), line.toUtf8().toStdString());
}

} // namespace talmere
