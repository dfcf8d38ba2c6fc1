#include "core/Folders.h"

#include "core/AnsiText.h"
#include "platform/FileSystem.h"

namespace talmere {

namespace {

const QChar kSeparator = QLatin1Char(platform::kSeparator);

} // namespace

QString WithFinalSeparator(const QString& folder)
{
    return (folder.isEmpty() || folder.endsWith(kSeparator)) ? folder : folder + kSeparator;
}

QString WithoutFinalSeparator(const QString& folder)
{
    return folder.endsWith(kSeparator) ? folder.chopped(1) : folder;
}

QString FromConfiguredPath(const QString& text)
{
    return FromNativePath(platform::FromConfiguredPath(ToNativePath(text)));
}

bool IsAbsoluteFolder(const QString& path)
{
    return platform::IsAbsolutePath(ToNativePath(path));
}

QString DrivePartOf(const QString& folder)
{
    return FromNativePath(platform::DrivePart(ToNativePath(folder)));
}

QString ShortPathOf(const QString& path)
{
    return FromNativePath(platform::ShortPath(ToNativePath(path)));
}

QString ResolveNoCase(const QString& path)
{
    return FromNativePath(platform::ResolvePathNoCase(ToNativePath(path)));
}

bool FolderExists(const QString& path)
{
    return platform::IsDirectory(ToNativePath(path));
}

bool FileExists(const QString& path)
{
    return platform::IsRegularFile(ToNativePath(path));
}

bool CreateFolders(const QString& path)
{
    return platform::CreateDirectories(ToNativePath(path));
}

} // namespace talmere
