/*
 * Switching the lock on (see LockActions.h).
 */
#include "lockconfig/LockActions.h"

#include "lockconfig/BootFiles.h"
#include "lockconfig/BootScript.h"
#include "lockconfig/Password.h"
#include "lockconfig/SafeFiles.h"
#include "lockconfig/StartupKeyFiles.h"
#include "lockconfig/Messages.h"
#include "support/FileUtil.h"
#include "support/FolderStep.h"

#include <windows.h>

namespace qg {

namespace {

// True when the boot script holds the line, letter for letter, afterwards.
bool AddBootScriptLine(const Pause& pause, Outcome& outcome) {
    BootScriptOnDisk script;
    if (!ReadSettledBootScript(script, outcome))
        return false;
    if (script.present && !script.readable) {
        // Appending blind could add a second line to a script we cannot see.
        outcome.Fail(FailedStep(BootScriptPath, "read", DescribeFileError(script.readError)) +
                     " The line " + BootScriptLine + " was not added to it.");
        return false;
    }
    if (script.present && HoldsExactBootScriptLine(script.bytes))
        return true;
    return ReplaceBootScript(script, WithBootScriptLine(script.bytes), 0, pause, outcome);
}

// The boot folder is there afterwards, made now or found.
bool MakeBootFolder(Outcome& outcome) {
    if (::CreateDirectoryA(BootFolderPath, nullptr))
        return true;
    const DWORD error = ::GetLastError();
    if (JudgeFolderCreated(error, PathAttributes(BootFolderPath)) == FolderResult::Done)
        return true; // there already, holding no plain file
    outcome.Fail(FailedStep(std::string("The folder ") + BootFolderPath, "created",
                            DescribeFileError(error)));
    return false;
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
    // The old password file stays until the new one is whole beside it, so a crash never
    // leaves the boot prompt without a password to ask for.
    if (const DWORD error = WriteFileWhole(PasswordNewPath, PasswordTempPath, scrambled))
        return error;
    if (replace)
        pause(1.0);
    const DWORD error = ReplaceOwnFile(PasswordNewPath, PasswordFilePath);
    // The new file goes only while the old one still stands in for it.
    if (error && AnyFileExists(PasswordFilePath))
        DiscardFile(PasswordNewPath);
    return error;
}

Outcome InstallLock(const SecretString& password, const std::string& applicationFolder,
                    const Pause& pause, StartupKeysChoice keys, bool windows9x) {
    Outcome outcome;
    // Without the line nothing asks for the password: a password file would protect nothing
    // and give the password away, so nothing more is written.
    if (!AddBootScriptLine(pause, outcome)) {
        outcome.Fail(LockNotSwitchedOn);
        return outcome;
    }
    std::string scrambled = ScramblePassword(password.str());
    if (FolderExists(BootFolderPath)) {
        FillBootFolder(scrambled, true, applicationFolder, pause, outcome);
    } else if (!FolderExists(BootFolderPathLower)) {
        if (MakeBootFolder(outcome))
            FillBootFolder(scrambled, false, applicationFolder, pause, outcome);
    }
    WipeString(scrambled);
    // The INSTALL= line starts the prompt from the boot folder: only once the password and the
    // programs are all there, or the keys would be closed on a prompt that cannot run.
    if (keys == StartupKeysChoice::Close) {
        if (outcome.Succeeded())
            CloseStartupKeys(windows9x, outcome);
        else
            outcome.Fail(StartupKeysNotClosed);
    } else if (keys == StartupKeysChoice::Open) {
        OpenStartupKeys(outcome);
    }
    return outcome;
}

void DeleteEarlierVersionFile() {
    ::DeleteFileA(EarlierVersionFile);
}

} // namespace qg
