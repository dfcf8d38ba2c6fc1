#include "archive/ArchiveLog.h"

#include "core/AnsiText.h"
#include "platform/FileTransfer.h"

#include <QFile>

#include <cstring>

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

QString LastFileFailureReason()
{
    switch (platform::LastFileFailure()) {
    case platform::FileFailure::NoSpace:
        return QStringLiteral("no space");
    case platform::FileFailure::PermissionDenied:
        return QStringLiteral("permission denied");
    case platform::FileFailure::NameNotUsable:
        return QStringLiteral("name not usable");
    case platform::FileFailure::SymbolicLink:
        return QStringLiteral("symbolic link");
    case platform::FileFailure::NotRegularFile:
        return QStringLiteral("not a regular file");
    case platform::FileFailure::Gone:
        return QStringLiteral("file or folder not found");
    case platform::FileFailure::None:
    case platform::FileFailure::Other:
        break;
    }
    const int error = platform::LastFileErrorNumber();
    return error != 0
               ? QStringLiteral("system error %1 (%2)").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)))
               : QStringLiteral("failed");
}

bool AppendLogLine(const QString& path, QByteArray line)
{
    if (!line.endsWith('\n')) {
        line.append('\n');
    }
    return platform::AppendWholeLine(ToNativePath(path), std::string_view(line.constData(), line.size()));
}

namespace {

// A line without its time.
QByteArray LineEnd(const QString& reportType, const QString& file, const QString& action, const QString& destination)
{
    return (QLatin1Char('\t') + Field(reportType) + QLatin1Char('\t') + Field(file) + QLatin1Char('\t') + action +
            QLatin1Char('\t') + Field(destination) + QLatin1Char('\n'))
        .toUtf8();
}

// How much of the end of the log is looked through for a line: many times a run's last line.
constexpr qint64 kLogTailBytes = 256 * 1024;

} // namespace

bool LogArchiveAction(const ApplicationContext& context, const QString& reportType, const QString& file,
                      const QString& action, const QString& destination)
{
    const QString folder = context.folders.ReportArchiveFolder;
    if (folder.isEmpty()) {
        return false;
    }
    return AppendLogLine(folder + kArchiveLogFileName,
                         context.clock().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toUtf8() +
                             LineEnd(reportType, file, action, destination));
}

bool ArchiveLogHasAction(const ApplicationContext& context, const QString& reportType, const QString& file,
                         const QString& action, const QString& destination)
{
    const QString folder = context.folders.ReportArchiveFolder;
    QFile log(folder + kArchiveLogFileName);
    if (folder.isEmpty() || !log.open(QIODevice::ReadOnly)) {
        return false;
    }
    const qint64 size = log.size();
    if (size > kLogTailBytes && !log.seek(size - kLogTailBytes)) {
        return false;
    }
    const QByteArray tail = log.readAll();
    const QByteArray end = LineEnd(reportType, file, action, destination);
    // Every line holds a time before its first tab, so the line's end follows a time, not another field.
    for (qsizetype at = tail.indexOf(end); at >= 0; at = tail.indexOf(end, at + 1)) {
        const qsizetype lineStart = tail.lastIndexOf('\n', at) + 1;
        if (!tail.mid(lineStart, at - lineStart).contains('\t')) {
            return true;
        }
    }
    return false;
}

} // namespace talmere
