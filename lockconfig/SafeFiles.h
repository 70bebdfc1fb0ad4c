/*
 * Changing the lock's files so that a crash or power cut at any instant leaves a whole file:
 * the boot script is replaced by rename through a scratch file and a backup (Windows 95 has no
 * MoveFileEx), and the boot folder's files are written under a temporary name and renamed.
 */
#pragma once

#include "lockconfig/Outcome.h"
#include "support/Timing.h"

#include <windows.h>

#include <string>

namespace qg {

// The boot script as it is on disk, whatever its attributes.
struct BootScriptOnDisk {
    bool present = false;
    bool readable = false;
    DWORD attributes = 0;
    DWORD readError = 0;
    std::string bytes;

    bool readOnly() const { return (attributes & FILE_ATTRIBUTE_READONLY) != 0; }
};
BootScriptOnDisk ReadBootScript();

// Puts right what an earlier swap left (RecoverBootScript), then reads the boot script. False,
// with the reason added to the outcome, when the boot script must not be changed yet.
bool ReadSettledBootScript(BootScriptOnDisk& script, Outcome& outcome);

// Puts newText in the boot script's place, keeping the old attributes, and returns whether it
// did. When `seconds` is above 0, `pause` takes that long before and after the swap. A
// read-only boot script is refused, and so is any change while an earlier swap's leftovers
// could not be put right. A failure is added to the outcome, saying where the boot script is:
// in its place, unchanged, or (when it could not be put back) in the backup.
bool ReplaceBootScript(const BootScriptOnDisk& old, const std::string& newText, double seconds,
                       const Pause& pause, Outcome& outcome);

// Finishes or undoes a swap that was cut short (see SwapRecovery.h). Runs at start-up, before
// anything reads the boot script, and again before a swap. Returns why the boot script must not
// be changed yet (a backup that could not be put back, or that may hold lines the boot script
// lacks), or an empty text when all is in order.
std::string RecoverBootScript();

// Moves `from` into the place of `target`, a file of the lock's own that goes first whatever
// its attributes. Windows 95/98 cannot rename over a file: for an instant only `from` is there.
[[nodiscard]] DWORD ReplaceOwnFile(const std::string& from, const std::string& target);

// Writes bytes to `target` through `temp` and a rename, so the target is absent or whole.
// Checked by reading back.
[[nodiscard]] DWORD WriteFileWhole(const std::string& target, const std::string& temp,
                                   const std::string& bytes);

// Copies source to target through temp and a rename, so the target is absent or whole, and
// writable (files copied from a CD are read-only). A target that already holds the source's
// bytes is kept. The copy is flushed and compared with the source before the rename; when the
// old copy went but the rename failed, the new copy is kept under the temporary name.
[[nodiscard]] DWORD CopyFileWhole(const std::string& source, const std::string& target,
                                  const std::string& temp);

} // namespace qg
