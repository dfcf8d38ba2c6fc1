#pragma once

#include "core/ApplicationContext.h"

namespace talmere {

// Every running instance, here and on the other workstations that share the server folder, registers in
// the user control file QRUSER.CTL by holding a lock on one user slot byte for its whole life; every change
// of the report archive first takes the archive lock, a lock on another byte of the same file. In
// single-user operation (BypassAccessChecks) the file is never created nor opened, registration succeeds
// and the archive lock is granted at once.

inline const QString kUserControlFileName = QStringLiteral("QRUSER.CTL");

// Byte offsets in the user control file.
inline constexpr int kControlByte = 0;         // held briefly by whoever changes any other lock
inline constexpr int kExclusiveSystemByte = 1; // held by a program with exclusive use of the whole system
inline constexpr int kArchiveLockByte = 7;     // the archive lock, one of the resource bytes 2 to 9
inline constexpr int kUserSlotBase = 20;       // slot n is byte 20 + n
// Slots 1 to 179 are bytes 21 to 199, the last byte of the file as it is created.
inline constexpr int kUserSlotCount = 179;
inline constexpr int kUserControlFileSize = 200;

// Results of the lock operations: 0 or more is success (a slot number for a registration), negative a
// failure.
inline constexpr int kAccessCannotCreate = -1;
inline constexpr int kAccessCannotOpen = -2;
inline constexpr int kAccessNoFreeSlot = -3;
inline constexpr int kAccessExclusiveElsewhere = -5;
inline constexpr int kAccessLocksDoNotWork = -6;

inline const QString kLocksDoNotWorkMessage =
    QStringLiteral("File locks do not work on the server folder %1 (%2). Several workstations cannot share it "
                   "safely. Mount it with working locks (SMB 3 without nobrl, or NFS version 4), or run one "
                   "workstation alone with /EXCLUSIVE. The program will now terminate.");
inline constexpr int kAccessUnknownError = -99;

QString AccessResultText(int code);

// The user control file: the alphabet repeated over 200 bytes.
QByteArray UserControlFileContents();

// Opens the user control file (creating it when it is missing) and claims the first free user slot. On
// failure the user has been told and the start must end.
bool RegisterUser(ApplicationContext& context);
// Gives up the slot and closes the file, which drops any lock the process still holds in it.
void UnregisterUser(ApplicationContext& context);

// Takes the archive lock, trying again for up to timeoutSeconds (0: one attempt). Re-entrant: while the
// process holds it, another acquisition only counts one level deeper. Answers 0 on success, a negative
// result code on failure.
int AcquireArchiveLock(ApplicationContext& context, int timeoutSeconds);
// Gives up one level, and the lock itself with the last one. Once for every successful acquisition.
void ReleaseArchiveLock(ApplicationContext& context);

// The archive lock as long as the object lives, when acquire() got it: released however the work under it ends.
class ArchiveLockHold {
public:
    explicit ArchiveLockHold(ApplicationContext& context) : m_context(context) {}
    ~ArchiveLockHold()
    {
        if (m_held) {
            ReleaseArchiveLock(m_context);
        }
    }
    ArchiveLockHold(const ArchiveLockHold&) = delete;
    ArchiveLockHold& operator=(const ArchiveLockHold&) = delete;

    // AcquireArchiveLock with the time-out; true when the lock is held.
    bool acquire(int timeoutSeconds)
    {
        m_held = m_held || AcquireArchiveLock(m_context, timeoutSeconds) >= 0;
        return m_held;
    }

private:
    ApplicationContext& m_context;
    bool m_held = false;
};

} // namespace talmere
