/*
 * Switching the lock on (see LockActions.h).
 */
#include "lockconfig/LockActions.h"

#include "lockconfig/BootFiles.h"
#include "lockconfig/BootScript.h"
#include "lockconfig/Password.h"
#include "lockconfig/SafeFiles.h"
#include "support/FileUtil.h"

#include <windows.h>

namespace qg {

namespace {

void AddBootScriptLine(const Pause& pause, Outcome& outcome) {
    const BootScriptOnDisk script = ReadBootScript();
    if (script.present && !script.readable) {
        // Appending blind could add a second line to a script we cannot see.
        outcome.Fail(FailedStep(BootScriptPath, "read", DescribeFileError(script.readError)) +
                     " The line " + BootScriptLine + " was not added to it.");
        return;
    }
    if (script.present && HoldsExactBootScriptLine(script.bytes))
        return;
    ReplaceBootScript(script, WithBootScriptLine(script.bytes), 0, pause, outcome);
}

void CopyProgram(const std::string& applicationFolder, const char* suffix, const char* target,
                 const char* temp, Outcome& outcome) {
    const std::string source = applicationFolder + suffix;
    const DWORD error = CopyFileWhole(source, target, temp);
    if (error)
        outcome.Fail(FailedStep(target, "copied from " + source, DescribeFileError(error)));
}

void FillBootFolder(const std::string& scrambled, bool replace,
                    const std::string& applicationFolder, const Pause& pause, Outcome& outcome) {
    const DWORD error = WritePasswordFile(scrambled, replace, pause);
    if (error)
        outcome.Fail("The password could not be saved: " +
                     FailedStep(PasswordFilePath, "written", DescribeFileError(error)));
    CopyProgram(applicationFolder, RebootProgramSuffix, RebootProgramTarget, RebootProgramTemp,
                outcome);
    CopyProgram(applicationFolder, BootProgramSuffix, BootProgramTarget, BootProgramTemp,
                outcome);
}

} // namespace

DWORD WritePasswordFile(const std::string& scrambled, bool replace, const Pause& pause) {
    if (replace) {
        // A file that cannot be deleted is truncated by the write instead.
        (void)DeleteFileIfPresent(PasswordFilePath);
        pause(1.0);
    }
    return WriteFileWhole(PasswordFilePath, PasswordTempPath, scrambled);
}

Outcome InstallLock(const SecretString& password, const std::string& applicationFolder,
                    const Pause& pause) {
    Outcome outcome;
    AddBootScriptLine(pause, outcome);
    std::string scrambled = ScramblePassword(password.str());
    if (FolderExists(BootFolderPath)) {
        FillBootFolder(scrambled, true, applicationFolder, pause, outcome);
    } else if (!FolderExists(BootFolderPathLower)) {
        if (!::CreateDirectoryA(BootFolderPath, nullptr)) {
            const DWORD error = ::GetLastError();
            // A folder that is there already (holding no plain file) is fine.
            if (error != ERROR_ALREADY_EXISTS ||
                !(PathAttributes(BootFolderPath) & FILE_ATTRIBUTE_DIRECTORY))
                outcome.Fail(FailedStep(std::string("The folder ") + BootFolderPath, "created",
                                        DescribeFileError(error)));
        }
        FillBootFolder(scrambled, false, applicationFolder, pause, outcome);
    }
    WipeString(scrambled);
    return outcome;
}

void DeleteEarlierVersionFile() {
    ::DeleteFileA(EarlierVersionFile);
}

} // namespace qg
