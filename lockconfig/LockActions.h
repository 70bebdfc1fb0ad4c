/*
 * Switching the lock on and off on drive C:. Each returns what failed; the caller tells the
 * user and ends the program or keeps the home window open. The pauses between the steps go
 * through `pause`, which the home window gives as Wait.
 */
#pragma once

#include "lockconfig/LockStatus.h"
#include "lockconfig/Outcome.h"
#include "support/Secret.h"
#include "support/Timing.h"

#include <windows.h>

#include <string>

namespace qg {

// What an installation does with the start-up keys (lockconfig/StartupKeySteps.h).
enum class StartupKeysChoice {
    LeaveAlone, // the ordinary lock: CONFIG.SYS and MSDOS.SYS are not touched
    Close,      // the strong lock, once everything else is in place
    Open,       // the new password cannot be typed before KEYB: back to the ordinary lock
};

// Opens start-up keys that `keys` says to open first, and writes nothing else when that fails;
// then writes the scrambled password file and copies the two DOS-side programs from the
// application folder, adds the boot-script line unless it is there letter for letter, and
// closes the start-up keys when `keys` says so (in the files the DOS judged from the drives
// reads).
Outcome InstallLock(const SecretString& password, const std::string& applicationFolder,
                    const Pause& pause, StartupKeysChoice keys = StartupKeysChoice::LeaveAlone);

// Opens the start-up keys (puts CONFIG.SYS and MSDOS.SYS back) and takes every boot-script
// line out of the boot script; then, when no line starts the prompt any more, deletes the
// DOS-side files and the boot folder (unless something else remains in it).
Outcome RemoveLock(const Pause& pause);

// Deletes the DOS-side files, the password files and what a cut-short installation left in the
// boot folder, and the folder unless something else remains in it.
void RemoveBootFolder(Outcome& outcome);

// True when the boot folder holds what the boot-script line needs to lock the machine: qg.exe
// and a password file (the new one counts: the boot prompt reads it while the other is missing).
bool LockCanRun();

// What the home window's status is decided from (LockStatus.h), read from drive C:.
LockScan ScanLock();

// Deletes the earlier version's password file; done only after a successful installation.
void DeleteEarlierVersionFile();

// Writes the scrambled password to the password file. With `replace` the old file is deleted
// first and a one-second pause passes before the new one is written.
[[nodiscard]] DWORD WritePasswordFile(const std::string& scrambled, bool replace,
                                      const Pause& pause);

} // namespace qg
