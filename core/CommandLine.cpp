#include "core/CommandLine.h"

namespace talmere {

namespace {

// The switch's name without its "/" or "--".
bool IsSwitch(const QString& argument, const char* name)
{
    const QString wanted = QLatin1String(name);
    const auto matches = [&](const QString& prefix) {
        return argument.size() == prefix.size() + wanted.size() && argument.startsWith(prefix) &&
               argument.mid(prefix.size()).compare(wanted, Qt::CaseInsensitive) == 0;
    };
    return matches(QStringLiteral("/")) || matches(QStringLiteral("--"));
}

bool IsOption(const QString& argument, const char* option)
{
    return argument.compare(QLatin1String(option), Qt::CaseInsensitive) == 0;
}

} // namespace

CommandLineAction ParseProgramArguments(const QStringList& arguments, ModeFlags& flags)
{
    for (const QString& argument : arguments) {
        if (IsOption(argument, "--help")) {
            return CommandLineAction::ShowHelp;
        }
        if (IsOption(argument, "--version")) {
            return CommandLineAction::ShowVersion;
        }
        if (IsSwitch(argument, "TAMSEN")) {
            flags.Launched = true;
        } else if (IsSwitch(argument, "EXCLUSIVE")) {
            flags.ExclusiveAccess = true;
        } else if (IsSwitch(argument, "UB92_ONLY")) {
            flags.IncludeInstitutionalReports = true;
            flags.IncludeProfessionalReports = false;
        } else if (IsSwitch(argument, "1500_ONLY")) {
            flags.IncludeInstitutionalReports = false;
            flags.IncludeProfessionalReports = true;
        } else if (IsSwitch(argument, "SILENTARCHIVE")) {
            flags.SilentArchive = true;
        } else {
            return CommandLineAction::Invalid;
        }
    }
    return CommandLineAction::Run;
}

QString ProgramUsage()
{
    return QStringLiteral(
        "Usage: talmere [switch]...\n"
        "       talmere --export-pdf TYPE FILE OUT.pdf [--filter N=VALUE]... [switch]...\n"
        "       talmere --init-server DIR [--install-dir DIR]\n"
        "\n"
        "The report manager: archives the report files that arrive in the staging folders, lists the archive\n"
        "by report type, and shows and prints the reports.\n"
        "\n"
        "Switches (without regard to case; each may also be written with -- instead of /):\n"
        "  /TAMSEN         started by the product: its registered folders are required\n"
        "  /EXCLUSIVE      single-user operation: no user control file, no archive lock\n"
        "  /UB92_ONLY      show only the report types of institutional (UB92) claims\n"
        "  /1500_ONLY      show only the report types of professional (1500) claims\n"
        "  /SILENTARCHIVE  archive the staged reports once, without showing the list, and end\n"
        "  --help          show this text and end\n"
        "  --version       show the program's version and end\n"
        "\n"
        "When the same user runs the program already, a new start hands its claim context to the running\n"
        "one and ends. Without a display, messages go to standard error.\n"
        "\n"
        "--export-pdf writes the report of one archived file as a PDF file, laid out as it would print on the\n"
        "report type's printer (US Letter when the system has none), without a window or a display:\n"
        "  TYPE              a report type of TALMERE.INI, without regard to case\n"
        "  FILE              a file of the type's archive folder, or a path (anything with a '/')\n"
        "  OUT.pdf           the PDF file to write\n"
        "  --filter N=VALUE  report selection value N (1 to 10); the selection dialog is never shown\n"
        "It takes no user slot, archives nothing and never hands over to a running instance, so it works\n"
        "while the report list is open. Exit code 0 when the PDF file is written; otherwise the message on\n"
        "standard error and 1, or 2 for a bad command line.\n"
        "\n"
        "--init-server makes a new server folder DIR from the example configuration (TALMERE.INI, mailbox/,\n"
        "archive/) and registers it as this user's installation, with this workstation's install folder\n"
        "(--install-dir, by default $XDG_DATA_HOME/talmere); then start the program with /TAMSEN. A folder\n"
        "that holds a TALMERE.INI already is never touched. Exit code 0 when done, 1 when refused, 2 for a\n"
        "bad command line.\n");
}

QString ProgramVersion()
{
    return QStringLiteral("talmere " TALMERE_VERSION "\n");
}

} // namespace talmere
