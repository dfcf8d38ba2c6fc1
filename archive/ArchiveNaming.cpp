#include "archive/ArchiveNaming.h"

#include "common/TextUtil.h"
#include "core/AnsiText.h"
#include "core/Folders.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"

#include <algorithm>
#include <optional>

namespace talmere {

namespace {

// A sequence number read from a name: decimal digits only, and not so many that they could overflow.
std::optional<qint64> SequenceOf(std::string_view text)
{
    if (text.empty() || text.size() > 15) {
        return std::nullopt;
    }
    qint64 value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// The highest sequence number of every base name in a folder, base names upper-cased.
std::unordered_map<std::string, qint64> ReadSequences(const QString& folder)
{
    std::unordered_map<std::string, qint64> highest;
    for (const std::string& name : platform::ListFileNames(ToNativePath(folder))) {
        const std::size_t dot = name.find('.');
        if (dot == std::string::npos) {
            continue;
        }
        const std::optional<qint64> sequence = SequenceOf(std::string_view(name).substr(dot + 1));
        if (!sequence) {
            continue;
        }
        qint64& entry = highest[AsciiUpper(std::string_view(name).substr(0, dot))];
        entry = std::max(entry, *sequence);
    }
    return highest;
}

std::string BaseKey(const QString& baseName)
{
    return AsciiUpper(ToNativePath(TrimBlanks(baseName)));
}

bool ExistsNoCase(const QString& path)
{
    return platform::Exists(ToNativePath(ResolveNoCase(path)));
}

} // namespace

QString FormatSequence(qint64 sequence)
{
    return QString::number(sequence).rightJustified(3, QLatin1Char('0'));
}

QString NextArchiveSequence(const QString& folder, const QString& baseName)
{
    if (!FolderExists(folder)) {
        return FormatSequence(1);
    }
    const auto highest = ReadSequences(folder);
    const auto found = highest.find(BaseKey(baseName));
    return FormatSequence(found == highest.end() ? 1 : found->second + 1);
}

QString UniqueDestinationName(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = path.left(slash + 1);
    return UniqueDestinationName(path, [&folder](const QString& name) { return ExistsNoCase(folder + name); });
}

QString UniqueDestinationName(const QString& path, const std::function<bool(const QString& name)>& taken)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(slash + 1);
    if (!taken(name)) {
        return name;
    }
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot < 0 ? name : name.left(dot);
    // A bound, so that a folder that answers "exists" for everything cannot keep the run here for ever.
    for (qint64 n = 1; n < 1000000; ++n) {
        const QString candidate = stem + QLatin1Char('.') + FormatSequence(n);
        if (!taken(candidate)) {
            return candidate;
        }
    }
    return {};
}

std::unordered_map<std::string, qint64>& ArchiveSequences::highest(const QString& folder)
{
    auto found = m_folders.find(folder);
    if (found == m_folders.end()) {
        found = m_folders.insert(folder, ReadSequences(folder));
    }
    return found.value();
}

qint64 ArchiveSequences::next(const QString& folder, const QString& baseName)
{
    const auto& numbers = highest(folder);
    const auto found = numbers.find(BaseKey(baseName));
    return found == numbers.end() ? 1 : found->second + 1;
}

void ArchiveSequences::taken(const QString& folder, const QString& baseName, qint64 sequence)
{
    qint64& entry = highest(folder)[BaseKey(baseName)];
    entry = std::max(entry, sequence);
}

} // namespace talmere
