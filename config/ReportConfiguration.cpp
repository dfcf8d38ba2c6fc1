#include "config/ReportConfiguration.h"

#include "client/ReportRequests.h"
#include "common/DayDate.h"
#include "common/IniFile.h"
#include "common/TextUtil.h"
#include "core/AnsiText.h"
#include "core/Folders.h"
#include "core/PathMacros.h"
#include "platform/SettingsStore.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>

namespace talmere {

namespace {

const char kReportTypesSection[] = "Report Types";
const QString kDetailsSectionPrefix = QStringLiteral("Report Details - ");
const QString kFile = QStringLiteral("(TALMERE.INI)");

QString ReportTypeTag(const QString& type)
{
    return QStringLiteral(" [Report Type = ") + type + QStringLiteral("].");
}

QString InConfiguration(const QString& what, const QString& type)
{
    return what + QStringLiteral(" in the report configuration file ") + kFile + QLatin1Char('.') + ReportTypeTag(type);
}

// The key names of the first "Report Types" section, every line in file order: a name written twice is
// listed twice, so that it can be reported.
std::vector<std::string> ReportTypeNames(const std::string& text)
{
    std::vector<std::string> names;
    bool inSection = false;
    bool sectionSeen = false;
    std::string_view rest(text);
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") {
        rest.remove_prefix(3);
    }
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            line.remove_prefix(1);
        }
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            std::string_view name = line.substr(1);
            name = name.substr(0, name.find(']'));
            while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) {
                name.remove_prefix(1);
            }
            while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) {
                name.remove_suffix(1);
            }
            // Only the first section of that name counts, as for every lookup.
            inSection = !sectionSeen && EqualsNoCase(name, kReportTypesSection);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection) {
            continue;
        }
        std::string_view key = line.substr(0, line.find('='));
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) {
            key.remove_suffix(1);
        }
        if (!key.empty()) {
            names.emplace_back(key);
        }
    }
    return names;
}

std::string ReadWholeFile(const QString& path)
{
    std::ifstream in(ToNativePath(path), std::ios::binary);
    if (!in) {
        throw std::runtime_error("the report configuration file cannot be read");
    }
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool IsYes(const QString& upperValue)
{
    return upperValue == QLatin1String("1") || upperValue == QLatin1String("Y") || upperValue == QLatin1String("YES");
}

bool IsIntegerIn(const QString& text, int lowest, int highest)
{
    const std::optional<int> value = ParseInteger(text.toStdString());
    return value && *value >= lowest && *value <= highest;
}

// Reads one type's keys with their defaults.
class DetailsReader {
public:
    DetailsReader(const IniFile& ini, std::string section) : m_ini(ini), m_section(std::move(section)) {}

    bool has(const char* key) const { return m_ini.hasKey(m_section, key); }
    // As written; the default when the key is missing or empty.
    QString text(const char* key, const QString& defaultValue = {}) const
    {
        const QString value = FromAnsi(m_ini.value(m_section, key));
        return value.isEmpty() ? defaultValue : value;
    }
    QString upper(const char* key, const QString& defaultValue = {}) const
    {
        return FromAnsi(AsciiUpper(ToAnsi(text(key, defaultValue))));
    }
    bool boolean(const char* key, bool defaultValue) const
    {
        const QString value = upper(key);
        return value.isEmpty() ? defaultValue : IsYes(value);
    }

private:
    const IniFile& m_ini;
    std::string m_section;
};

TReportFilterFieldInfo ParseFilterFieldDef(const QString& value)
{
    TReportFilterFieldInfo field;
    const qsizetype bar = value.indexOf(QLatin1Char('|'));
    if (bar < 0) {
        return field;
    }
    field.Name = TrimBlanks(value.left(bar)).left(24);
    const std::optional<int> length = ParseInteger(TrimBlanks(value.mid(bar + 1)).toStdString());
    // Only a length above 80, or text that is no integer, is no length; a negative one is kept as written
    // and passes the check that name and length come together.
    field.Length = (length && *length <= 80) ? *length : 0;
    return field;
}

TReportConfigInfoRecord ReadDetails(const ApplicationContext& context, const DetailsReader& keys,
                                    const QString& reportContext)
{
    const ProgramSettings& settings = context.settings;
    TReportConfigInfoRecord r;
    r.ReportContext = reportContext;
    r.ReportFormat = keys.upper("ReportFormat", QStringLiteral("TEXT"));
    r.ReportLoadMethod = keys.upper("ReportLoadMethod", QStringLiteral("PLAIN"));
    r.ReportDesc = keys.text("ReportDesc");
    r.StagingDirectory = keys.text("StagingDirectory");
    r.DestinationDirectory = keys.text("DestinationDirectory");
    r.ArchivePrefix = keys.upper("ArchivePrefix");
    r.ArchiveDays = keys.text("ArchiveDays", QString::number(settings.PurgeReportArchiveDays));
    r.ContextCopyMove = keys.boolean("ContextCopyMove", settings.EnableCopyOrMoveBasedOnContext);
    // An empty Font stays empty: only a missing key gives the default.
    r.Font = keys.has("Font") ? keys.text("Font") : QStringLiteral("Courier New");
    r.PointSize = keys.text("PointSize", QStringLiteral("10"));
    r.HeaderTitleCaption = keys.text("HeaderTitleCaption");
    r.HeaderTitlePointSize = keys.text("HeaderTitlePointSize", r.PointSize);
    r.HeaderSubTitleCaption = keys.text("HeaderSubTitleCaption");
    r.HeaderSubTitlePointSize = keys.text("HeaderSubTitlePointSize", r.PointSize);
    r.PrintFooter = keys.boolean("PrintFooter", false);
    r.FooterPointSize = keys.text("FooterPointSize", r.PointSize);
    r.Orientation = keys.upper("Orientation", QStringLiteral("PORTRAIT"));
    r.CopyMethod = keys.upper("CopyMethod", QStringLiteral("STANDARD"));
    r.MoveMethod = keys.upper("MoveMethod", QStringLiteral("STANDARD"));
    r.MarginTopMM = keys.text("MarginTopMM", QStringLiteral("20"));
    r.MarginBottomMM = keys.text("MarginBottomMM", QStringLiteral("20"));
    r.MarginLeftMM = keys.text("MarginLeftMM", QStringLiteral("20"));
    r.MarginRightMM = keys.text("MarginRightMM", QStringLiteral("20"));
    r.HeaderSeparation = keys.text("HeaderSeparation", QStringLiteral("6"));
    r.HeaderSubTitleSeparation = keys.text("HeaderSubTitleSeparation", QStringLiteral("0"));
    r.FooterSeparation = keys.text("FooterSeparation", QStringLiteral("4"));
    r.FileNameMask = keys.text("FileNameMask");
    for (int i = 0; i < kSearchIdentCount; ++i) {
        r.SearchIdent[i] = keys.text(("SearchIdent" + std::to_string(i + 1)).c_str());
    }
    for (int i = 0; i < kParamCount; ++i) {
        r.Param[i] = keys.text(("Param" + std::to_string(i + 1)).c_str());
    }
    for (int i = 0; i < kFilterFieldCount; ++i) {
        r.FilterFields[i] = ParseFilterFieldDef(keys.text(("FilterFieldDef" + std::to_string(i + 1)).c_str()));
    }
    return r;
}

bool Visible(const ModeFlags& flags, const QString& reportContext)
{
    return reportContext == QLatin1String("BOTH") ||
           (reportContext == QLatin1String("UB92") && flags.IncludeInstitutionalReports) ||
           (reportContext == QLatin1String("1500") && flags.IncludeProfessionalReports);
}

// The prefix names the type's archive subfolder and begins its archived file names: a separator or a dot
// would lead outside the report archive folder ("..") or into a folder the archive never lists ("./").
// Control characters make names that cannot be shown or typed.
bool IsUsableArchivePrefix(const QString& prefix)
{
    for (const QChar c : prefix) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char('.') ||
            c.category() == QChar::Other_Control) {
            return false;
        }
    }
    return true;
}

// A prefix as it can be shown in a message: control characters as their code, "<0x09>".
QString ShownPrefix(const QString& prefix)
{
    QString shown;
    for (const QChar c : prefix) {
        if (c.category() == QChar::Other_Control) {
            shown += QStringLiteral("<0x") +
                     QString::number(c.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0')) + QLatin1Char('>');
        } else {
            shown += c;
        }
    }
    return shown;
}

// What validating the list found besides its first error.
struct ValidationState {
    QString error;
    bool destinationRejected = false;
    bool deleteValidated = false;
};

QString ValidateType(ApplicationContext& context, int index, ValidationState& state)
{
    ReportTypeList& types = context.reportTypes;
    const QString& name = types[index].name;
    TReportConfigInfoRecord& r = types[index].info;
    const bool action = IsActionFormat(r.ReportFormat);

    for (int i = 0; i < index; ++i) {
        if (types[i].name.compare(name, Qt::CaseInsensitive) == 0) {
            return QStringLiteral("Duplicate report type [") + name +
                   QStringLiteral("] in the report configuration file (TALMERE.INI).");
        }
    }
    if (!action) {
        if (r.ReportDesc.isEmpty()) {
            return QStringLiteral("Missing report description in the report configuration file (TALMERE.INI).") +
                   ReportTypeTag(name);
        }
        for (int i = 0; i < index; ++i) {
            if (!IsActionFormat(types[i].info.ReportFormat) &&
                types[i].info.ReportDesc.compare(r.ReportDesc, Qt::CaseInsensitive) == 0) {
                return QStringLiteral("Duplicate report description \"") + r.ReportDesc +
                       QStringLiteral("\" in the report configuration file (TALMERE.INI).");
            }
        }
        if (r.ReportLoadMethod != QLatin1String("PLAIN") && r.ReportLoadMethod != QLatin1String("RTF")) {
            return InConfiguration(QStringLiteral("Invalid or missing report load method"), name);
        }
        if (r.ArchivePrefix.isEmpty()) {
            return InConfiguration(QStringLiteral("Missing report archive prefix"), name);
        }
        if (r.ArchivePrefix.size() != 2) {
            return QStringLiteral("Invalid report archive prefix length in the report configuration file "
                                  "(TALMERE.INI). [Prefix = ") +
                   r.ArchivePrefix + QLatin1Char(']');
        }
        if (!IsUsableArchivePrefix(r.ArchivePrefix)) {
            return QStringLiteral("Invalid report archive prefix [") + ShownPrefix(r.ArchivePrefix) +
                   QStringLiteral("] in the report configuration file (TALMERE.INI). The prefix names the report "
                                  "archive subfolder and must not hold a path separator, a dot or a control "
                                  "character.") +
                   ReportTypeTag(name);
        }
        for (int i = 0; i < index; ++i) {
            if (!IsActionFormat(types[i].info.ReportFormat) && types[i].info.ArchivePrefix == r.ArchivePrefix) {
                return QStringLiteral("Duplicate report archive prefix [") + r.ArchivePrefix +
                       QStringLiteral("] in the report configuration file (TALMERE.INI).");
            }
        }
        for (const TReportFilterFieldInfo& field : r.FilterFields) {
            if (field.Name.isEmpty() != (field.Length == 0)) {
                return InConfiguration(QStringLiteral("Invalid or missing filter field definition"), name);
            }
        }
    }

    const QString stagingAsRead = r.StagingDirectory;
    QStringList retained;
    for (const QString& part : stagingAsRead.split(QLatin1Char(';'))) {
        const ResolvedDirectory resolved = ResolveDirectorySetting(TrimBlanks(part), context.folders);
        if (resolved.ok && FolderExists(resolved.folder)) {
            retained << WithFinalSeparator(resolved.folder);
        }
    }
    if (retained.isEmpty()) {
        context.prompts().warning(QStringLiteral("The staging directory for report type ") + name +
                                  QStringLiteral(" in the report configuration file (TALMERE.INI) is invalid or "
                                                 "does not exist. This report type will not be processed. [Dir = '") +
                                  stagingAsRead + QStringLiteral("']"));
    }
    r.StagingDirectory = retained.join(QLatin1Char(';'));

    const bool copy = r.ReportFormat == QLatin1String("COPY");
    const bool move = r.ReportFormat == QLatin1String("MOVE");
    if (copy || move) {
        const ResolvedDirectory destination = ResolveDirectorySetting(r.DestinationDirectory, context.folders);
        if (destination.ok && FolderExists(destination.folder)) {
            r.DestinationDirectory = WithFinalSeparator(destination.folder);
            for (const QString& staging : retained) {
                if (staging.compare(r.DestinationDirectory, Qt::CaseInsensitive) == 0) {
                    return InConfiguration(QStringLiteral("Staging and destination directories are the same"), name);
                }
            }
        } else {
            context.prompts().warning(
                QStringLiteral("The destination directory for the ") +
                (move ? QStringLiteral("MOVE") : QStringLiteral("COPY")) + QStringLiteral(" report type ") + name +
                QStringLiteral(" in the report configuration file (TALMERE.INI) is invalid or does not exist. This "
                               "action report type will not be processed. [Dir = '") +
                destination.folder + QStringLiteral("']"));
            r.DestinationDirectory.clear();
            state.destinationRejected = true;
        }
    }
    if (r.ReportFormat == QLatin1String("DELETE")) {
        state.deleteValidated = true;
    }

    if (!action) {
        const std::optional<int> days = ParseInteger(r.ArchiveDays.toStdString());
        if (!days || *days < -1) {
            return InConfiguration(QStringLiteral("Invalid report archive days"), name);
        }
        const std::pair<const QString*, const char*> sizes[] = {
            {&r.PointSize, ""},
            {&r.HeaderTitlePointSize, "header title "},
            {&r.HeaderSubTitlePointSize, "header subtitle "},
            {&r.FooterPointSize, "footer "},
        };
        for (const auto& [value, sizeName] : sizes) {
            if (!IsIntegerIn(*value, 4, 64)) {
                return QStringLiteral("Invalid report ") + QLatin1String(sizeName) +
                       QStringLiteral("point size in the report configuration file (TALMERE.INI).") +
                       ReportTypeTag(name);
            }
        }
        if (r.Orientation != QLatin1String("PORTRAIT") && r.Orientation != QLatin1String("LANDSCAPE")) {
            return InConfiguration(QStringLiteral("Invalid report orientation"), name);
        }
    }
    const auto isMethod = [](const QString& method) {
        return method == QLatin1String("STANDARD") || method == QLatin1String("SHORT") ||
               method == QLatin1String("STANDARD_UNIQUE") || method == QLatin1String("SHORT_UNIQUE");
    };
    if (copy && !isMethod(r.CopyMethod)) {
        return InConfiguration(QStringLiteral("Invalid copy method"), name);
    }
    if (move && !isMethod(r.MoveMethod)) {
        return InConfiguration(QStringLiteral("Invalid move method"), name);
    }
    if (!action) {
        const std::tuple<const QString*, const char*, int> items[] = {
            {&r.MarginTopMM, "top margin", 100},
            {&r.MarginBottomMM, "bottom margin", 100},
            {&r.MarginLeftMM, "left margin", 100},
            {&r.MarginRightMM, "right margin", 100},
            {&r.HeaderSeparation, "header separation", 50},
            {&r.HeaderSubTitleSeparation, "header subtitle separation", 30},
            {&r.FooterSeparation, "footer separation", 50},
        };
        for (const auto& [value, itemName, highest] : items) {
            if (!IsIntegerIn(*value, 0, highest)) {
                return QStringLiteral("Invalid report ") + QLatin1String(itemName) +
                       QStringLiteral(" in the report configuration file (TALMERE.INI).") + ReportTypeTag(name);
            }
        }
    }
    if (r.FileNameMask.isEmpty() && r.SearchIdent[0].isEmpty()) {
        return QStringLiteral("Invalid report identification parameters in the report configuration file "
                              "(TALMERE.INI). The filename mask or at least one search string must be specified.") +
               ReportTypeTag(name);
    }
    return {};
}

QString LoadTypes(ApplicationContext& context)
{
    const QString path = ResolveNoCase(context.folders.InstallDirectory + kReportConfigurationFileName);
    if (context.folders.InstallDirectory.isEmpty() || !FileExists(path)) {
        return QStringLiteral("Unable to locate the report configuration file (TALMERE.INI).");
    }
    const std::string text = ReadWholeFile(path);
    const IniFile ini = IniFile::parse(text);
    const std::vector<std::string> names = ReportTypeNames(text);

    // Walked from the last name to the first, so that the list keeps the order of the file.
    std::vector<ReportTypeEntry> found;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        const QString name = FromAnsi(*it);
        const std::string section = ToAnsi(kDetailsSectionPrefix) + *it;
        if (!ini.hasSection(section)) {
            return QStringLiteral("Unable to locate report details section \"[") + kDetailsSectionPrefix + name +
                   QStringLiteral("]\" in the report configuration file (TALMERE.INI).");
        }
        const DetailsReader keys(ini, section);
        const QString reportContext = keys.upper("ReportContext", QStringLiteral("BOTH"));
        if (!Visible(context.flags, reportContext)) {
            continue;
        }
        found.push_back({name, ReadDetails(context, keys, reportContext)});
    }
    if (found.empty()) {
        return QStringLiteral("At least one report type must be specified in the report configuration file "
                              "(TALMERE.INI).");
    }
    context.reportTypes.assign(found.rbegin(), found.rend());

    // A type with preferences of its own keeps its archive days and printer there.
    for (ReportTypeEntry& type : context.reportTypes) {
        const QString group = QStringLiteral("Reports/") + type.name;
        if (context.programStore().hasGroup(group)) {
            type.info.ArchiveDays =
                context.programStore().value(group, QStringLiteral("ArchiveDays")).value_or(QStringLiteral("-1"));
            type.info.ReportPrinter =
                context.programStore().value(group, QStringLiteral("ReportPrinter")).value_or(QString());
        }
    }

    ValidationState state;
    for (int i = 0; i < static_cast<int>(context.reportTypes.size()) && state.error.isEmpty(); ++i) {
        state.error = ValidateType(context, i, state);
    }
    if (state.destinationRejected && state.deleteValidated) {
        return QStringLiteral("You must correct the reported invalid or missing COPY/MOVE destination directory "
                              "problems before the report files can be safely processed.");
    }
    if (!state.error.isEmpty()) {
        return state.error;
    }

    const QString columnsError = LoadListColumnDetails(context);
    if (!columnsError.isEmpty()) {
        return columnsError;
    }

    for (int i = 0; i < static_cast<int>(context.reportTypes.size()); ++i) {
        if (IsActionFormat(context.reportTypes[i].info.ReportFormat)) {
            continue;
        }
        const QString folder = ArchiveSubfolder(context, i);
        if (!FolderExists(folder)) {
            CreateFolders(folder);
        }
        if (!FolderExists(folder)) {
            return QStringLiteral("Unable to create the report archive subfolder [") + WithoutFinalSeparator(folder) +
                   QStringLiteral("].");
        }
    }
    return {};
}

long TodayNumber(const ApplicationContext& context)
{
    const QDate today = context.clock().date();
    return DayNumber(today.year(), today.month(), today.day());
}

// A recent preparation day of one context from QORVA32.INI, or 0.
long RecentPrepareDay(const IniFile& ini, const char* key, long today, int recentDays)
{
    const std::optional<int> day = ParseInteger(ini.value("Claim", key, "0"));
    if (!day || today - *day > recentDays) {
        return 0;
    }
    return *day;
}

} // namespace

bool LoadReportConfiguration(ApplicationContext& context)
{
    context.reportTypes.clear();
    QString error;
    try {
        error = LoadTypes(context);
    } catch (...) {
        error = QStringLiteral("Unexpected exception processing the report configuration file (TALMERE.INI).");
    }
    if (!error.isEmpty()) {
        // Nothing half validated stays behind for the rest of the program to rely on.
        context.reportTypes.clear();
        context.prompts().error(error + kTerminationNotice);
        return false;
    }
    return true;
}

void FreeReportConfiguration(ApplicationContext& context)
{
    context.reportTypes.clear();
}

QString ArchiveSubfolder(const ApplicationContext& context, int typeIndex)
{
    const QString& archive = context.folders.ReportArchiveFolder;
    if (archive.isEmpty()) {
        return {};
    }
    return WithFinalSeparator(
        ResolveNoCase(WithFinalSeparator(archive) + context.reportTypes.at(typeIndex).info.ArchivePrefix));
}

long LastPrepareDateTest(const ApplicationContext& context, const QString& ownContext)
{
    const long today = TodayNumber(context);
    const QString path = ResolveNoCase(context.folders.ServerDirectory + QStringLiteral("QORVA32.INI"));
    if (context.folders.ServerDirectory.isEmpty() || !FileExists(path)) {
        return today;
    }
    const IniFile ini = IniFile::load(ToNativePath(path));
    const bool institutional = ownContext == QLatin1String("UB92");
    const int recent = context.settings.ContextCopyOrMoveRecentDays;
    const long own =
        RecentPrepareDay(ini, institutional ? "LastUB92PrepareDate" : "Last1500PrepareDate", today, recent);
    if (own != 0) {
        return own;
    }
    const long other =
        RecentPrepareDay(ini, institutional ? "Last1500PrepareDate" : "LastUB92PrepareDate", today, recent);
    return other == 0 ? today : 0;
}

bool ContextSkip(const ApplicationContext& context, int typeIndex)
{
    const TReportConfigInfoRecord& type = context.reportTypes.at(typeIndex).info;
    return context.flags.IncludeInstitutionalReports && context.flags.IncludeProfessionalReports &&
           type.ContextCopyMove &&
           (type.ReportFormat == QLatin1String("COPY") || type.ReportFormat == QLatin1String("MOVE")) &&
           (type.ReportContext == QLatin1String("UB92") || type.ReportContext == QLatin1String("1500")) &&
           LastPrepareDateTest(context, type.ReportContext) == 0;
}

} // namespace talmere
