#include "core/PathMacros.h"

#include "core/AnsiText.h"
#include "core/Folders.h"

#include <array>
#include <utility>
#include <vector>

namespace talmere {

namespace {

struct ShowMacro {
    const char* name;
    int state;
};

// In the order they are looked for: the first one present wins.
constexpr std::array<ShowMacro, 7> kShowMacros = {{
    {"%SW_SHOW%", kSwShow},
    {"%SW_SHOWNORMAL%", kSwShowNormal},
    {"%SW_HIDE%", kSwHide},
    {"%SW_MINIMIZE%", kSwMinimize},
    {"%SW_SHOWMINIMIZED%", kSwShowMinimized},
    {"%SW_MAXIMIZE%", kSwMaximize},
    {"%SW_SHOWMAXIMIZED%", kSwMaximize},
}};

// The first occurrence of macro that lies wholly in text the caller wrote, or -1.
qsizetype FindInOriginal(const QString& text, const std::vector<bool>& original, const QString& macro)
{
    for (qsizetype at = text.indexOf(macro, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(macro, at + 1, Qt::CaseInsensitive)) {
        bool untouched = true;
        for (qsizetype i = at; i < at + macro.size() && untouched; ++i) {
            untouched = original[static_cast<std::size_t>(i)];
        }
        if (untouched) {
            return at;
        }
    }
    return -1;
}

} // namespace

QString ExpandDirectoryMacros(const QString& text, const ProductFolders& folders)
{
    const std::array<std::pair<QString, QString>, 5> macros = {{
        {QStringLiteral("%SERVER_DRIVE%"), DrivePartOf(folders.ServerDirectory)},
        {QStringLiteral("%INSTALL_DRIVE%"), DrivePartOf(folders.InstallDirectory)},
        {QStringLiteral("%SERVER_DIR%"), WithoutFinalSeparator(folders.ServerDirectory)},
        {QStringLiteral("%INSTALL_DIR%"), WithoutFinalSeparator(folders.InstallDirectory)},
        {QStringLiteral("%DATA_DIR%"), WithoutFinalSeparator(folders.DataDirectory)},
    }};
    QString result = text;
    std::vector<bool> original(static_cast<std::size_t>(result.size()), true);
    // One replacement per pass, of the first macro in order of preference that still occurs.
    for (bool replaced = true; replaced;) {
        replaced = false;
        for (const auto& [macro, value] : macros) {
            const qsizetype at = FindInOriginal(result, original, macro);
            if (at < 0) {
                continue;
            }
            result.replace(at, macro.size(), value);
            const auto first = original.begin() + at;
            original.erase(first, first + macro.size());
            original.insert(original.begin() + at, static_cast<std::size_t>(value.size()), false);
            replaced = true;
            break;
        }
    }
    return result;
}

ResolvedDirectory ResolveDirectorySetting(const QString& setting, const ProductFolders& folders)
{
    ResolvedDirectory result;
    QString text = TrimBlanks(setting);
    while (text.startsWith(QLatin1Char('"'))) {
        text = TrimBlanks(text.mid(1));
    }
    while (text.endsWith(QLatin1Char('"'))) {
        text = TrimBlanks(text.chopped(1));
    }
    if (text.isEmpty()) {
        return result;
    }
    const QString expanded = WithFinalSeparator(FromConfiguredPath(ExpandDirectoryMacros(text, folders)));
    const QString shortForm = ShortPathOf(expanded);
    if (shortForm.isEmpty()) {
        result.folder = expanded;
        return result;
    }
    result.folder = shortForm;
    result.ok = true;
    return result;
}

bool SplitCommandToken(QString& text, bool splitAtBlank, QString& token)
{
    token.clear();
    const QString rest = TrimBlanks(text);
    if (rest.startsWith(QLatin1Char('"'))) {
        const qsizetype closing = rest.indexOf(QLatin1Char('"'), 1);
        if (closing < 0) {
            return false;
        }
        token = rest.mid(1, closing - 1);
        text = TrimBlanks(rest.mid(closing + 1));
        return true;
    }
    const qsizetype blank = splitAtBlank ? rest.indexOf(QLatin1Char(' ')) : -1;
    if (blank < 0) {
        token = rest;
        text.clear();
    } else {
        token = rest.left(blank);
        text = TrimBlanks(rest.mid(blank + 1));
    }
    return true;
}

bool ParseCommandLine(const QString& commandLine, const ProductFolders& folders, ProgramCommandLine& result)
{
    result.program.clear();
    result.parameters.clear();
    QString text = TrimBlanks(commandLine);
    if (text.isEmpty()) {
        return false;
    }
    text = ExpandDirectoryMacros(text, folders);
    for (const ShowMacro& macro : kShowMacros) {
        const QString name = QLatin1String(macro.name);
        const qsizetype at = text.indexOf(name, 0, Qt::CaseInsensitive);
        if (at >= 0) {
            result.showState = macro.state;
            text.remove(at, name.size());
            break;
        }
    }
    QString token;
    if (!SplitCommandToken(text, true, token)) {
        return false;
    }
    const QString written = FromConfiguredPath(token);
    QString program = ShortPathOf(written);
    if (program.isEmpty()) {
        program = written;
    }
    if (!FileExists(program)) {
        return false;
    }
    QString parameters;
    if (!SplitCommandToken(text, false, parameters)) {
        return false;
    }
    result.program = program;
    result.parameters = parameters;
    return true;
}

} // namespace talmere
