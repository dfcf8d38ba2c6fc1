#include "client/AboutInformation.h"

#include "common/ReportLibraryInterface.h"
#include "core/AnsiText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace talmere {

namespace {

const QByteArray kVersionMarker = QByteArrayLiteral("$TALMRDLL-VERSION: ");

QString YesNo(bool value)
{
    return value ? QStringLiteral("Yes") : QStringLiteral("No");
}

std::optional<VersionNumbers> ParseVersion(const QByteArray& text)
{
    VersionNumbers numbers{0, 0, 0, 0};
    const QList<QByteArray> parts = text.split('.');
    if (parts.isEmpty() || parts.size() > 4) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const int number = parts[i].toInt(&ok);
        if (!ok || number < 0) {
            return std::nullopt;
        }
        numbers[static_cast<std::size_t>(i)] = number;
    }
    return numbers;
}

} // namespace

VersionNumbers ProgramVersionNumbers()
{
    return ParseVersion(QByteArrayLiteral(TALMERE_VERSION)).value_or(VersionNumbers{0, 0, 0, 0});
}

QString VersionLabel(const std::optional<VersionNumbers>& version)
{
    if (!version) {
        return QStringLiteral("<< Unknown >>");
    }
    const auto& [major, minor, release, build] = *version;
    QString label = QStringLiteral("%1.%2").arg(major).arg(minor);
    if (release != 0 || build != 0) {
        label += QStringLiteral(".%1").arg(release);
    }
    if (build != 0) {
        label += QStringLiteral(".%1").arg(build);
    }
    return label;
}

std::optional<VersionNumbers> ReadLibraryVersion(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    // The marker lies among the library's constant data: read the file in pieces that overlap by the marker's
    // length, so that a marker across two pieces is found too.
    constexpr qint64 kPiece = 1 << 20;
    QByteArray carried;
    while (!file.atEnd()) {
        const QByteArray data = carried + file.read(kPiece);
        const qsizetype at = data.indexOf(kVersionMarker);
        if (at >= 0) {
            QByteArray rest = data.mid(at + kVersionMarker.size(), 64);
            if (rest.indexOf(" $") < 0 && !file.atEnd()) {
                rest += file.read(64);
            }
            const qsizetype end = rest.indexOf(" $");
            return end > 0 ? ParseVersion(rest.left(end)) : std::nullopt;
        }
        carried = data.right(kVersionMarker.size() + 64);
    }
    return std::nullopt;
}

QString ReportLibraryFile(const ApplicationContext& context)
{
    QStringList candidates;
    if (!context.reportLibraryCandidates.empty()) {
        for (const std::string& candidate : context.reportLibraryCandidates) {
            candidates << FromNativePath(candidate);
        }
    } else {
        // Where the program looks: beside itself first, then the install folder's library folder.
        const QString name = QString::fromLatin1(kReportLibraryName);
        candidates << context.folders.ProgramDirectory + name << context.folders.InstallDirectory + name
                   << QDir::currentPath() + QLatin1Char('/') + QString::fromLatin1(kReportLibraryFallbackPath);
    }
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile()) {
            return candidate;
        }
    }
    return {};
}

QString TechnicalSummary(const ApplicationContext& context, const QString& versionLabel)
{
    const QString end = QStringLiteral("\r\n");
    const QString library = ReportLibraryFile(context);
    const std::optional<VersionNumbers> libraryVersion = library.isEmpty() ? std::nullopt : ReadLibraryVersion(library);
    const QString libraryName =
        (library.isEmpty() ? QString::fromLatin1(kReportLibraryName) : QFileInfo(library).fileName()).toLower();
    const QString libraryText = libraryVersion ? QStringLiteral("(%1.%2.%3.%4)")
                                                     .arg((*libraryVersion)[0])
                                                     .arg((*libraryVersion)[1])
                                                     .arg((*libraryVersion)[2])
                                                     .arg((*libraryVersion)[3])
                                               : QStringLiteral("(NOT AVAILABLE)");
    const ProductFolders& folders = context.folders;
    const ModeFlags& flags = context.flags;
    QString text = context.settings.ProductName + QStringLiteral(" Report Manager Technical Information:") + end + end;
    text += QStringLiteral("  Version = ") + versionLabel + end;
    text += QStringLiteral("  Server Dir = ") + folders.ServerDirectory + end;
    text += QStringLiteral("  Install Dir = ") + folders.InstallDirectory + end;
    text += QStringLiteral("  Data Dir = ") + folders.DataDirectory + end;
    text += QStringLiteral("  DLLs: ") + libraryName + QStringLiteral("  ") + libraryText + end;
    text += QStringLiteral("  Launched = ") + YesNo(flags.Launched) + end;
    text += QStringLiteral("  Standalone Operation = ") + YesNo(flags.StandaloneOperation) + end;
    text += QStringLiteral("  Exclusive Access = ") + YesNo(flags.ExclusiveAccess) + end;
    text += QStringLiteral("  Bypass Access Checks = ") + YesNo(flags.BypassAccessChecks) + end;
    text += QStringLiteral("  Include Institutional Reports = ") + YesNo(flags.IncludeInstitutionalReports) + end;
    text += QStringLiteral("  Include Professional Reports = ") + YesNo(flags.IncludeProfessionalReports) + end;
    return text;
}

} // namespace talmere
