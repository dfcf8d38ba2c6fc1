#include "archive/FilingJournal.h"

#include "archive/ArchiveLog.h"
#include "core/AnsiText.h"
#include "platform/FileTransfer.h"

#include <QByteArray>
#include <QFile>

#include <charconv>
#include <limits>
#include <string>
#include <vector>

namespace talmere {

namespace {

constexpr std::string_view kHeader = "TALMERE FILING 1";
constexpr std::string_view kEnd = "END";

// Paths are kept as the bytes they are, in hexadecimal: a name may hold a line feed.
std::string Hex(const std::string& bytes)
{
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toHex().toStdString();
}

std::optional<std::string> FromHex(std::string_view text)
{
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return std::nullopt;
        }
    }
    return QByteArray::fromHex(QByteArray(text.data(), static_cast<qsizetype>(text.size()))).toStdString();
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// The lines of a text that ends in a line end; a last line without its end is not taken.
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    if (!text.empty()) {
        lines.clear();
    }
    return lines;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

QString JournalPath(const ApplicationContext& context)
{
    const QString folder = context.folders.ReportArchiveFolder;
    return folder.isEmpty() ? QString() : folder + kFilingJournalFileName;
}

} // namespace

std::string FilingJournalText(const FilingStep& step)
{
    std::string text(kHeader);
    text += '\n';
    text += step.action.toStdString() + '\n';
    text += Hex(step.reportType.toStdString()) + '\n';
    text += Hex(ToNativePath(step.staged)) + '\n';
    text += std::to_string(step.identity.device) + ' ' + std::to_string(step.identity.inode) + ' ' +
            std::to_string(step.identity.size) + ' ' + std::to_string(step.identity.modifiedNanoseconds) + '\n';
    text += Hex(ToNativePath(step.target)) + '\n';
    for (const auto& [temporary, wanted] : step.entries) {
        text += "ENTRY " + Hex(temporary) + ' ' + Hex(wanted) + '\n';
    }
    text += kEnd;
    text += '\n';
    return text;
}

std::optional<FilingStep> ParseFilingJournal(std::string_view text)
{
    const std::vector<std::string_view> lines = Lines(text);
    // The note ends in its own last line: one cut short lacks it.
    if (lines.size() < 7 || lines[0] != kHeader || lines.back() != kEnd) {
        return std::nullopt;
    }
    FilingStep step;
    step.action = QString::fromLatin1(lines[1].data(), static_cast<qsizetype>(lines[1].size()));
    if (step.action != QLatin1String("ARCHIVE") && step.action != QLatin1String("MOVE") &&
        step.action != QLatin1String("DELETE") && step.action != QLatin1String("UNZIP")) {
        return std::nullopt;
    }
    for (std::size_t i = 6; i + 1 < lines.size(); ++i) {
        std::string_view entry = lines[i];
        constexpr std::string_view kEntry = "ENTRY ";
        const std::size_t space = entry.find(' ', kEntry.size());
        if (!entry.starts_with(kEntry) || space == std::string_view::npos) {
            return std::nullopt;
        }
        const std::optional<std::string> temporary = FromHex(entry.substr(kEntry.size(), space - kEntry.size()));
        const std::optional<std::string> wanted = FromHex(entry.substr(space + 1));
        if (!temporary || !wanted || temporary->empty() || wanted->empty()) {
            return std::nullopt;
        }
        step.entries.emplace_back(*temporary, *wanted);
    }
    const std::optional<std::string> type = FromHex(lines[2]);
    const std::optional<std::string> staged = FromHex(lines[3]);
    const std::optional<std::string> target = FromHex(lines[5]);
    if (!type || !staged || !target || staged->empty()) {
        return std::nullopt;
    }
    step.reportType = QString::fromStdString(*type);
    step.staged = FromNativePath(*staged);
    step.target = FromNativePath(*target);
    std::string_view identity = lines[4];
    std::vector<std::string_view> numbers;
    while (!identity.empty()) {
        const std::size_t space = identity.find(' ');
        numbers.push_back(identity.substr(0, space));
        identity = space == std::string_view::npos ? std::string_view() : identity.substr(space + 1);
    }
    if (numbers.size() != 4 || !ParseNumber(numbers[0], step.identity.device) ||
        !ParseNumber(numbers[1], step.identity.inode) || !ParseNumber(numbers[2], step.identity.size) ||
        !ParseNumber(numbers[3], step.identity.modifiedNanoseconds)) {
        return std::nullopt;
    }
    return step;
}

FilingJournal::FilingJournal(const ApplicationContext& context) : m_path(ToNativePath(JournalPath(context))) {}

bool FilingJournal::begin(const FilingStep& step)
{
    if (m_path.empty()) {
        return false;
    }
    // Written in place: a note cut short by a kill is recognised as such (it lacks its last line) and was
    // written before anything else of its step happened.
    const bool written = platform::WriteFileInPlace(m_path, FilingJournalText(step));
    m_open = true;
    if (!written) {
        end();
        return false;
    }
    return true;
}

void FilingJournal::end()
{
    if (m_open) {
        platform::RemoveFile(m_path);
        m_open = false;
    }
}

void CompleteUnfinishedFiling(ApplicationContext& context)
{
    const QString path = JournalPath(context);
    if (path.isEmpty() || platform::EntryKind(ToNativePath(path)) != platform::FileKind::Regular) {
        return;
    }
    QFile file(path);
    std::optional<FilingStep> step;
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray text = file.read(64 * 1024);
        step = ParseFilingJournal(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
        file.close();
    }
    if (step && step->action == QLatin1String("UNZIP")) {
        CompleteUnpacking(*step);
    } else if (step) {
        const std::string staged = ToNativePath(step->staged);
        const std::string target = ToNativePath(step->target);
        const bool targetThere = !target.empty() && platform::EntryKind(target) == platform::FileKind::Regular;
        if (!target.empty()) {
            // Under the archive lock nobody else writes into the target's folder: a copy of the program's that
            // has not got its name yet was left by the killed run.
            platform::RemoveStaleTemporaries(FolderOf(target), std::numeric_limits<std::int64_t>::min());
        }
        bool done = false;
        if (step->action == QLatin1String("ARCHIVE")) {
            // The copy takes its name in one step: once it has it, it is complete, and the staged file may go
            // when it is still the one that was copied.
            if (targetThere && platform::IdentityOf(staged) == step->identity) {
                platform::RemoveRegularFile(staged);
            }
            done = targetThere;
        } else if (step->action == QLatin1String("MOVE")) {
            done = targetThere && platform::EntryKind(staged) == platform::FileKind::Unknown;
        } else {
            done = platform::EntryKind(staged) == platform::FileKind::Unknown;
        }
        if (done && !ArchiveLogHasAction(context, step->reportType, step->staged, step->action, step->target)) {
            LogArchiveAction(context, step->reportType, step->staged, step->action, step->target);
        }
    }
    platform::RemoveFile(ToNativePath(path));
}

} // namespace talmere
