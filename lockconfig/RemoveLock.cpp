/*
 * Switching the lock off (see LockActions.h).
 */
#include "lockconfig/LockActions.h"

#include "lockconfig/BootFiles.h"
#include "lockconfig/BootScript.h"
#include "lockconfig/FileSwap.h"
#include "lockconfig/Messages.h"
#include "lockconfig/StartupKeySteps.h"
#include "support/FileUtil.h"
#include "support/FolderStep.h"

#include <windows.h>

#include <optional>

namespace qg {

namespace {

// Pause before and after the boot script is swapped.
constexpr double SwapPause = 0.5;

void DeleteBootFile(const char* path, Outcome& outcome) {
    if (const DWORD error = DeleteOwnFile(path))
        outcome.Fail(FailedStep(path, "deleted", DescribeFileError(error, path)));
}

void TakeOutBootScriptLine(const Pause& pause, Outcome& outcome) {
    FileOnDisk script;
    if (!ReadSettled(BootScriptFile, script, outcome) || !script.present)
        return;
    if (!script.readable) {
        outcome.Fail(FailedStep(BootScriptPath, "read",
                                DescribeFileError(script.readError, BootScriptPath)) +
                     " The line " + BootScriptLine + " may still be in it.");
        return;
    }
    const std::optional<std::string> rewritten = WithoutBootScriptLine(script.bytes);
    if (rewritten)
        SwapFile(BootScriptFile, script, *rewritten, script.attributes, SwapPause, pause, outcome);
}

// True when the boot script may still start the prompt: it holds the line, or cannot be read.
bool BootScriptMayStartThePrompt() {
    const FileOnDisk script = ReadFileOnDisk(BootScriptFile);
    return script.present &&
           (!script.readable || ScanBootScriptStatus(script.bytes) == BootScriptStatus::Active);
}

} // namespace

void RemoveBootFolder(Outcome& outcome) {
    // The new password file first: with the password file gone, the boot prompt would read it.
    DeleteBootFile(PasswordNewPath, outcome);
    DeleteBootFile(PasswordFilePath, outcome);
    DeleteBootFile(RebootProgramTarget, outcome);
    DeleteBootFile(BootProgramTarget, outcome);
    // Leftovers of an installation that was cut short would keep the folder from going.
    for (const char* leftover : {PasswordTempPath, RebootProgramTemp, BootProgramTemp, RecordTempPath})
        DiscardFile(leftover);
    if (!::RemoveDirectoryA(BootFolderPathLower)) {
        const DWORD error = ::GetLastError();
        // The folder stays when something else is left in it, such as an earlier version's
        // file; that is intended, and a failed deletion above has been reported already.
        if (JudgeFolderRemoved(error, PathAttributes(BootFolderPathLower),
                               FolderHoldsEntries(BootFolderPathLower)) == FolderResult::Failed)
            outcome.Fail(FailedStep(std::string("The folder ") + BootFolderPathLower, "removed",
                                    DescribeFileError(error)));
    }
}

Outcome RemoveLock(const Pause& pause) {
    Outcome outcome;
    // The lines first, CONFIG.SYS and MSDOS.SYS while their records are still in the boot
    // folder: a crash at any instant leaves the lock whole or a line that starts nothing gone.
    OpenStartupKeys(outcome);
    TakeOutBootScriptLine(pause, outcome);
    // A line that stays still starts the prompt, which must find its program and password.
    if (StartupKeysClosed() || BootScriptMayStartThePrompt()) {
        outcome.Fail(LockFilesKept);
        return outcome;
    }
    RemoveBootFolder(outcome);
    return outcome;
}

} // namespace qg
