#include "core/UserAccess.h"

#include "core/AnsiText.h"
#include "core/Folders.h"
#include "platform/FileSystem.h"

#include <QElapsedTimer>
#include <QThread>

namespace talmere {

namespace {

using LockResult = platform::SharedLockFile::LockResult;

void Pause(const ApplicationContext& context)
{
    QThread::msleep(static_cast<unsigned long>(context.lockTiming.retryMilliseconds));
    context.prompts().processPendingEvents();
}

// Whoever changes a lock of the file holds the control byte meanwhile. It is waited for while the user
// interface goes on; a system that refuses locks altogether is not waited for.
bool TakeControlByte(ApplicationContext& context)
{
    platform::SharedLockFile& file = context.userAccess.file;
    for (int attempt = 1; attempt <= context.lockTiming.controlByteAttempts; ++attempt) {
        const LockResult result = file.lockByte(kControlByte);
        if (result == LockResult::Locked) {
            return true;
        }
        if (result == LockResult::Failed) {
            return false;
        }
        if (attempt < context.lockTiming.controlByteAttempts) {
            Pause(context);
        }
    }
    return false;
}

void ReleaseControlByte(ApplicationContext& context)
{
    context.userAccess.file.unlockByte(kControlByte);
}

QString UserControlFilePath(const ApplicationContext& context)
{
    return ResolveNoCase(context.folders.ServerDirectory + kUserControlFileName);
}

int ClaimUserSlot(ApplicationContext& context, std::string& lockProblem)
{
    const QString path = UserControlFilePath(context);
    const std::string nativePath = ToNativePath(path);
    if (!platform::Exists(nativePath)) {
        const QByteArray contents = UserControlFileContents();
        if (platform::CreateFileOnce(nativePath, std::string_view(contents.constData(), contents.size())) ==
            platform::CreateOutcome::Failed) {
            return kAccessCannotCreate;
        }
    }
    platform::SharedLockFile& file = context.userAccess.file;
    if (!file.open(nativePath)) {
        return kAccessCannotOpen;
    }
    // Workstations share the server folder only through these locks: where they would not keep another
    // machine out, the program does not run unprotected.
    lockProblem = context.byteLockProblem ? context.byteLockProblem(nativePath) : std::string();
    if (!lockProblem.empty()) {
        return kAccessLocksDoNotWork;
    }
    if (!TakeControlByte(context)) {
        return kAccessCannotOpen;
    }
    int result = kAccessNoFreeSlot;
    // Where locks are mandatory, a byte that another program holds cannot be read.
    if (!file.canReadByte(kExclusiveSystemByte)) {
        result = kAccessExclusiveElsewhere;
    } else {
        for (int slot = 1; slot <= kUserSlotCount; ++slot) {
            const LockResult locked = file.lockByte(kUserSlotBase + slot);
            if (locked == LockResult::Locked) {
                result = slot;
                break;
            }
            if (locked == LockResult::Failed) {
                result = kAccessUnknownError;
                break;
            }
        }
    }
    ReleaseControlByte(context);
    return result;
}

int ArchiveLockAttempt(ApplicationContext& context)
{
    if (!TakeControlByte(context)) {
        return kAccessCannotOpen;
    }
    int result = kAccessUnknownError;
    switch (context.userAccess.file.lockByte(kArchiveLockByte)) {
    case LockResult::Locked:
        result = 0;
        break;
    case LockResult::HeldByOther:
        result = kAccessExclusiveElsewhere;
        break;
    case LockResult::Failed:
        break;
    }
    ReleaseControlByte(context);
    return result;
}

} // namespace

QString AccessResultText(int code)
{
    switch (code) {
    case kAccessCannotCreate:
        return QStringLiteral("Unable to create user control file");
    case kAccessCannotOpen:
        return QStringLiteral("Unable to access user control file");
    case kAccessNoFreeSlot:
        return QStringLiteral("The maximum number of concurrent users has been reached");
    case kAccessExclusiveElsewhere:
        return QStringLiteral("Exclusive access has been granted to another user");
    default:
        return QStringLiteral("Unknown access control error");
    }
}

QByteArray UserControlFileContents()
{
    QByteArray contents(kUserControlFileSize, '\0');
    for (int i = 0; i < kUserControlFileSize; ++i) {
        contents[i] = static_cast<char>('A' + i % 26);
    }
    return contents;
}

bool RegisterUser(ApplicationContext& context)
{
    UserAccessState& access = context.userAccess;
    if (context.flags.BypassAccessChecks || access.file.isOpen()) {
        return true;
    }
    std::string lockProblem;
    const int result = ClaimUserSlot(context, lockProblem);
    if (result == kAccessLocksDoNotWork) {
        access.file.close();
        context.prompts().error(
            kLocksDoNotWorkMessage.arg(context.folders.ServerDirectory, QString::fromLocal8Bit(lockProblem.c_str())));
        return false;
    }
    if (result < 0) {
        access.file.close();
        context.prompts().error(QStringLiteral("User Access Error: [") + AccessResultText(result) +
                                QStringLiteral("]. ") +
                                QStringLiteral("Contact your system administrator if the problem persists. The "
                                               "program will now terminate."));
        return false;
    }
    access.slot = result;
    return true;
}

void UnregisterUser(ApplicationContext& context)
{
    UserAccessState& access = context.userAccess;
    if (!access.file.isOpen()) {
        return;
    }
    // Without the control byte the slot is not given back explicitly; closing the file drops it anyway.
    if (TakeControlByte(context)) {
        access.file.unlockByte(kUserSlotBase + access.slot);
        ReleaseControlByte(context);
    }
    access.file.close();
    access.slot = 0;
    access.archiveLockNesting = 0;
}

int AcquireArchiveLock(ApplicationContext& context, int timeoutSeconds)
{
    UserAccessState& access = context.userAccess;
    if (access.archiveLockNesting > 0 || context.flags.BypassAccessChecks) {
        ++access.archiveLockNesting;
        return 0;
    }
    if (!access.file.isOpen()) {
        return kAccessUnknownError;
    }
    int result = ArchiveLockAttempt(context);
    if (result < 0 && timeoutSeconds > 0) {
        QElapsedTimer waited;
        waited.start();
        const qint64 limit = static_cast<qint64>(timeoutSeconds) * context.lockTiming.millisecondsPerSecond;
        while (result < 0 && waited.elapsed() <= limit) {
            Pause(context);
            result = ArchiveLockAttempt(context);
        }
    }
    if (result >= 0) {
        access.archiveLockNesting = 1;
    }
    return result;
}

void ReleaseArchiveLock(ApplicationContext& context)
{
    UserAccessState& access = context.userAccess;
    if (access.archiveLockNesting > 0) {
        --access.archiveLockNesting;
    }
    if (access.archiveLockNesting > 0 || context.flags.BypassAccessChecks || !access.file.isOpen()) {
        return;
    }
    // Without the control byte the archive byte stays held until the file is closed.
    if (TakeControlByte(context)) {
        access.file.unlockByte(kArchiveLockByte);
        ReleaseControlByte(context);
    }
}

} // namespace talmere
