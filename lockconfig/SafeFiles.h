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

// Puts newText in the boot script's place, keeping the old attributes. When `seconds` is above
// 0, `pause` takes that long before and after the swap. A read-only boot script is refused. A
// failure is added to the outcome, saying where the boot script is: in its place, unchanged,
// or (when it could not be put back) in the backup, which RecoverBootScript puts back.
void ReplaceBootScript(const BootScriptOnDisk& old, const std::string& newText, double seconds,
                       const Pause& pause, Outcome& outcome);

// Finishes or undoes a swap that was cut short, and removes a leftover scratch file. Runs at
// start-up, before anything reads the boot script.
void RecoverBootScript();

// Writes bytes to `target` through `temp` and a rename, so the target is absent or whole.
// When the target cannot be removed first, it is truncated and written in place. Checked by
// reading back.
[[nodiscard]] DWORD WriteFileWhole(const std::string& target, const std::string& temp,
                                   const std::string& bytes);

// Copies source to target through temp and a rename, so the target is absent or whole.
[[nodiscard]] DWORD CopyFileWhole(const std::string& source, const std::string& target,
                                  const std::string& temp);

} // namespace qg
