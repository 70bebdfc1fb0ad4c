/*
 * Switching the lock on (see LockActions.h).
 */
#include "lockconfig/LockActions.h"

#include "lockconfig/BootFiles.h"
#include "lockconfig/BootScript.h"
#include "lockconfig/DosSystem.h"
#include "lockconfig/Password.h"
#include "lockconfig/FileSwap.h"
#include "lockconfig/Messages.h"
#include "lockconfig/SafeFiles.h"
#include "lockconfig/StartupKeySteps.h"
#include "support/FileUtil.h"
#include "support/FolderStep.h"

#include <windows.h>

namespace qg {

namespace {

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
    if (!error)
        return;
    std::string sentence =
        FailedStep(target, "copied from " + source, DescribeFileError(error, target));
    if (AnyFileExists(temp))
        sentence += std::string(" Its new copy is kept as ") + temp + ".";
    outcome.Fail(sentence);
}

// What the boot prompt will read after a failed write of the password file, judged by the disk:
// it reads the password file, and the new one only while the password file is missing.
enum class PromptReads { NewPassword, OldPassword, Nothing };

// True when the file holds exactly these bytes.
bool Holds(const char* path, const std::string& bytes) {
    std::string found;
    const bool same = AnyFileExists(path) && ReadWholeFile(path, found) == NO_ERROR && found == bytes;
    WipeString(found);
    return same;
}

// Leaves only what the boot prompt should read: a new password file beside the password file
// would take over whenever that one goes, and one that is not the new password whole is none.
PromptReads SettlePasswordFiles(const std::string& scrambled) {
    if (AnyFileExists(PasswordFilePath)) {
        DiscardFile(PasswordNewPath);
        return PromptReads::OldPassword;
    }
    if (Holds(PasswordNewPath, scrambled))
        return PromptReads::NewPassword;
    DiscardFile(PasswordNewPath);
    return PromptReads::Nothing;
}

// The report of a failed password write says which password the boot prompt asks for now.
std::string PasswordNotSaved(DWORD error, PromptReads reads) {
    const std::string step =
        FailedStep(PasswordFilePath, "written", DescribeFileError(error, PasswordFilePath));
    switch (reads) {
    case PromptReads::NewPassword:
        return std::string("The new password was not put in its place: ") + step + " " +
               NewPasswordInForce;
    case PromptReads::OldPassword:
        return "The password could not be saved: " + step + " " + OldPasswordInForce;
    case PromptReads::Nothing:
        break;
    }
    return "The password could not be saved: " + step + " " + NoPasswordInForce;
}

void FillBootFolder(const std::string& scrambled, bool replace,
                    const std::string& applicationFolder, const Pause& pause, Outcome& outcome) {
    const DWORD error = WritePasswordFile(scrambled, replace, pause);
    if (error)
        outcome.Fail(PasswordNotSaved(error, SettlePasswordFiles(scrambled)));
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
                    const Pause& pause, StartupKeysChoice keys) {
    Outcome outcome;
    // The prompt that the keys start could not take the new password: they are opened before it
    // is written, so that no moment has that prompt asking for it.
    if (keys == StartupKeysChoice::Open) {
        OpenStartupKeys(outcome);
        if (!outcome.Succeeded()) {
            outcome.Fail(NewPasswordNotSaved);
            return outcome;
        }
    }
    // A file of the boot folder's name would make the line start nothing at all.
    const DWORD folder = PathAttributes(BootFolderPath);
    if (folder != INVALID_FILE_ATTRIBUTES && !(folder & FILE_ATTRIBUTE_DIRECTORY)) {
        outcome.Fail(BootFolderIsAFile);
        outcome.Fail(LockNotSwitchedOn);
        return outcome;
    }
    // Without the line nothing asks for the password: a password file would protect nothing
    // and give the password away, so a boot script that cannot take the line stops all here.
    FileOnDisk script;
    if (!ReadSettled(BootScriptFile, script, outcome)) {
        outcome.Fail(LockNotSwitchedOn);
        return outcome;
    }
    if (script.present && !script.readable) {
        // Adding blind could add a second line to a script we cannot see.
        outcome.Fail(FailedStep(BootScriptPath, "read",
                                DescribeFileError(script.readError, BootScriptPath)) +
                     " The line " + BootScriptLine + " was not added to it.");
        outcome.Fail(LockNotSwitchedOn);
        return outcome;
    }
    const bool addLine = !script.present || !HoldsExactBootScriptLine(script.bytes);
    if (addLine && !SwapRefusal(BootScriptFile, script).empty()) {
        outcome.Fail(FailedStep(BootScriptPath, "changed", SwapRefusal(BootScriptFile, script)));
        outcome.Fail(LockNotSwitchedOn);
        return outcome;
    }

    // The folder, the programs and the password first, the lines that start them last: a crash
    // at any instant leaves no lock or one that asks, never a line that starts nothing.
    std::string scrambled = ScramblePassword(password.str());
    bool firstInstallation = false;
    if (FolderExists(BootFolderPath)) {
        FillBootFolder(scrambled, true, applicationFolder, pause, outcome);
    } else if (!FolderExists(BootFolderPathLower)) {
        firstInstallation = true;
        if (MakeBootFolder(outcome))
            FillBootFolder(scrambled, false, applicationFolder, pause, outcome);
    }
    WipeString(scrambled);
    bool lineThere = !addLine;
    if (addLine && LockCanRun())
        lineThere = SwapFile(BootScriptFile, script, WithBootScriptLine(script.bytes),
                             script.attributes, 0, pause, outcome);
    if (!lineThere) {
        // A first installation that could not finish leaves no password behind.
        if (firstInstallation)
            RemoveBootFolder(outcome);
        outcome.Fail(LineNotAdded);
    }
    // The INSTALL= line starts the prompt from the boot folder: only once the password and the
    // programs are all there, or the keys would be closed on a prompt that cannot run.
    if (keys == StartupKeysChoice::Close) {
        if (outcome.Succeeded())
            CloseStartupKeys(outcome);
        else
            outcome.Fail(StartupKeysNotClosed);
    }
    return outcome;
}

bool LockCanRun() {
    return AnyFileExists(BootProgramTarget) &&
           (AnyFileExists(PasswordFilePath) || AnyFileExists(PasswordNewPath));
}

LockScan ScanLock() {
    LockScan scan;
    // The boot script is looked at whatever its attributes: a hidden or system boot script
    // still runs at boot, so its line still locks the machine.
    const FileOnDisk script = ReadFileOnDisk(BootScriptFile);
    if (!script.present)
        scan.bootScript = LockScan::BootScript::Absent;
    else if (!script.readable)
        scan.bootScript = LockScan::BootScript::Unreadable;
    else
        switch (ScanBootScriptStatus(script.bytes)) {
        case BootScriptStatus::NoLines:
            scan.bootScript = LockScan::BootScript::NoLines;
            break;
        case BootScriptStatus::Active:
            scan.bootScript = LockScan::BootScript::Line;
            break;
        case BootScriptStatus::NotActive:
            scan.bootScript = LockScan::BootScript::OtherLines;
            break;
        }
    scan.configSysLine = StartupKeysClosed();
    const DWORD folder = PathAttributes(BootFolderPath);
    scan.folder = folder != INVALID_FILE_ATTRIBUTES && (folder & FILE_ATTRIBUTE_DIRECTORY);
    scan.bootProgram = AnyFileExists(BootProgramTarget);
    scan.passwordFile = AnyFileExists(PasswordFilePath) || AnyFileExists(PasswordNewPath);
    scan.bootScriptRuns = scan.bootScript != LockScan::BootScript::Line || scan.configSysLine ||
                          JudgeStartupHere().bootScriptRuns;
    return scan;
}

void DeleteEarlierVersionFile() {
    ::DeleteFileA(EarlierVersionFile);
}

} // namespace qg
