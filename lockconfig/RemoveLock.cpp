/*
 * Switching the lock off (see LockActions.h).
 */
#include "lockconfig/LockActions.h"

#include "lockconfig/BootFiles.h"
#include "lockconfig/BootScript.h"
#include "lockconfig/SafeFiles.h"
#include "support/FileUtil.h"

#include <windows.h>

#include <optional>

namespace qg {

namespace {

// Pause before and after the boot script is swapped.
constexpr double SwapPause = 0.5;

void DeleteBootFile(const char* path, Outcome& outcome) {
    if (const DWORD error = DeleteFileIfPresent(path))
        outcome.Fail(FailedStep(path, "deleted", DescribeFileError(error)));
}

void TakeOutBootScriptLine(const Pause& pause, Outcome& outcome) {
    const BootScriptOnDisk script = ReadBootScript();
    if (!script.present)
        return;
    if (!script.readable) {
        outcome.Fail(FailedStep(BootScriptPath, "read", DescribeFileError(script.readError)) +
                     " The line " + BootScriptLine + " may still be in it.");
        return;
    }
    const std::optional<std::string> rewritten = WithoutBootScriptLine(script.bytes);
    if (rewritten)
        ReplaceBootScript(script, *rewritten, SwapPause, pause, outcome);
}

} // namespace

Outcome RemoveLock(const Pause& pause) {
    Outcome outcome;
    DeleteBootFile(PasswordFilePath, outcome);
    DeleteBootFile(RebootProgramTarget, outcome);
    DeleteBootFile(BootProgramTarget, outcome);
    // Leftovers of an installation that was cut short would keep the folder from going.
    for (const char* leftover : {PasswordTempPath, RebootProgramTemp, BootProgramTemp})
        ::DeleteFileA(leftover);
    if (!::RemoveDirectoryA(BootFolderPathLower)) {
        const DWORD error = ::GetLastError();
        // The folder stays when something else is left in it, such as an earlier version's
        // file; that is intended, and a failed deletion above has been reported already.
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
            error != ERROR_DIR_NOT_EMPTY && !FileExists(std::string(BootFolderPathLower) + "\\*"))
            outcome.Fail(FailedStep(std::string("The folder ") + BootFolderPathLower, "removed",
                                    DescribeFileError(error)));
    }
    TakeOutBootScriptLine(pause, outcome);
    DiscardFile(ScratchFilePath); // also one left read-only by an earlier run
    return outcome;
}

} // namespace qg
