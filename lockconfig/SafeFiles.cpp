/*
 * Crash-safe changes to the lock's files (see SafeFiles.h).
 *
 * Boot-script swap, and what is on disk at each instant:
 *   1. new text written whole and flushed to the scratch file   autoexec.bat (old)
 *   2. autoexec.bat renamed to the backup                        backup (old)
 *   3. scratch file renamed to autoexec.bat, and flushed         autoexec.bat (new), backup (old)
 *   4. backup deleted                                            autoexec.bat (new)
 * Renames do not copy data, so each of these names always holds a whole file. The flush in
 * step 3 puts the rename on disk before the backup's deletion can be. RecoverBootScript decides
 * from what it finds (SwapRecovery.h).
 */
#include "lockconfig/SafeFiles.h"

#include "lockconfig/BootFiles.h"
#include "lockconfig/SwapRecovery.h"
#include "support/FileUtil.h"
#include "support/Secret.h"

namespace qg {

namespace {

std::string BootScriptNotChanged(const std::string& reason) {
    return FailedStep(BootScriptPath, "changed", reason);
}

std::string WithWhy(std::string text, DWORD error) {
    const std::string why = DescribeFileError(error);
    if (!why.empty())
        text += " (" + why + ")";
    return text;
}

// The text of a file of any attributes, or nothing when it cannot be read.
bool ReadAny(const char* path, std::string& bytes) {
    return AnyFileExists(path) && ReadWholeFile(path, bytes) == NO_ERROR;
}

} // namespace

BootScriptOnDisk ReadBootScript() {
    BootScriptOnDisk script;
    script.attributes = PathAttributes(BootScriptPath);
    script.present = script.attributes != INVALID_FILE_ATTRIBUTES &&
                     !(script.attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!script.present) {
        script.attributes = 0;
        return script;
    }
    script.readError = ReadWholeFile(BootScriptPath, script.bytes);
    script.readable = script.readError == NO_ERROR;
    return script;
}

bool ReadSettledBootScript(BootScriptOnDisk& script, Outcome& outcome) {
    const std::string unsettled = RecoverBootScript();
    if (!unsettled.empty()) {
        outcome.Fail(BootScriptNotChanged(unsettled));
        return false;
    }
    script = ReadBootScript();
    return true;
}

std::string RecoverBootScript() {
    SwapLeftovers found;
    found.script = AnyFileExists(BootScriptPath);
    found.backup = AnyFileExists(BootScriptBackupPath);
    std::string scratch;
    const bool scratchPresent = AnyFileExists(ScratchFilePath);
    if (scratchPresent && ReadWholeFile(ScratchFilePath, scratch) != NO_ERROR) {
        if (!found.script && !found.backup)
            return std::string("its new text in ") + ScratchFilePath + " could not be read";
        found.scratchOwner = ScratchOwner::Foreign; // unreadable: not known to be ours
    }
    found.scratch = JudgeScratchText(scratchPresent, scratch);
    std::string script, backup;
    const bool scriptRead = found.script && ReadAny(BootScriptPath, script);
    const bool backupRead = found.backup && ReadAny(BootScriptBackupPath, backup);
    if (found.script && found.backup)
        found.scriptIsSwapResult = scriptRead && backupRead && IsSwapResult(backup, script);
    if (scratchPresent && found.scratchOwner == ScratchOwner::Own) {
        const std::string* base = backupRead ? &backup : scriptRead ? &script : nullptr;
        if ((found.backup && !backupRead) || (found.script && !scriptRead))
            found.scratchOwner = ScratchOwner::Foreign; // cannot be compared: kept
        else
            found.scratchOwner =
                JudgeScratchOwner(base, scriptRead ? &script : nullptr, scratch, found.scratch);
    }
    WipeString(scratch);

    const RecoveryPlan plan = PlanSwapRecovery(found);
    if (plan.putBack == RecoveryPlan::PutBack::ScratchOverScript) {
        // The boot script is a cut-short start of the scratch text, so it holds nothing more.
        if (const DWORD error = DeleteFileIfPresent(BootScriptPath))
            return WithWhy(std::string("its whole text is in ") + ScratchFilePath +
                               ", which could not be put back",
                           error);
    }
    const char* putBack = plan.putBack == RecoveryPlan::PutBack::Backup ? BootScriptBackupPath
                          : plan.putBack == RecoveryPlan::PutBack::Nothing ? nullptr
                                                                           : ScratchFilePath;
    if (putBack && !::MoveFileA(putBack, BootScriptPath)) {
        const DWORD error = ::GetLastError();
        return WithWhy(std::string("its text is in ") + putBack + ", which could not be put back",
                       error);
    }
    if (plan.deleteScratch)
        DiscardFile(ScratchFilePath);
    if (plan.deleteBackup)
        DiscardFile(BootScriptBackupPath);
    if (plan.backupKept)
        return std::string("an earlier copy of it is in ") + BootScriptBackupPath +
               ": keep the right one as " + BootScriptPath + " and delete the other";
    if (plan.scratchKept)
        return std::string(ScratchFilePath) + " is there and Quillgate did not write it: it may "
               "hold the only whole copy of " + BootScriptPath + ", so keep what you need of it "
               "and delete it";
    return {};
}

bool ReplaceBootScript(const BootScriptOnDisk& old, const std::string& newText, double seconds,
                       const Pause& pause, Outcome& outcome) {
    if (old.present && old.readOnly()) {
        outcome.Fail(BootScriptNotChanged("it is read-only"));
        return false;
    }
    // Leftovers that may hold the only copy of the boot script are put right first (callers
    // read `old` through ReadSettledBootScript); `old` may be stale then, so this change waits.
    // A scratch file of the swap's own just goes; one that is not the swap's is never deleted.
    const bool backupThere = AnyFileExists(BootScriptBackupPath);
    if (backupThere || AnyFileExists(ScratchFilePath)) {
        const std::string unsettled = RecoverBootScript();
        const BootScriptOnDisk now = ReadBootScript();
        if (!unsettled.empty() || backupThere || now.present != old.present ||
            now.bytes != old.bytes) {
            outcome.Fail(BootScriptNotChanged(
                unsettled.empty() ? "an earlier change of it had been cut short; it is now put "
                                    "right, so try again"
                                  : unsettled));
            return false;
        }
    }

    if (const DWORD error = WriteFileDurably(ScratchFilePath, newText)) {
        outcome.Fail(BootScriptNotChanged(
            WithWhy(std::string("its new text could not be written to ") + ScratchFilePath,
                    error)));
        DiscardFile(ScratchFilePath);
        return false;
    }
    if (seconds > 0)
        pause(seconds);
    // The pause let other programs run: a boot script saved meanwhile (an editor, a DOS box)
    // is not the text the new one was made from, and must not be swapped away and deleted.
    std::string now;
    const DWORD readError = old.present ? ReadWholeFile(BootScriptPath, now) : NO_ERROR;
    const bool unchanged = old.present ? !readError && now == old.bytes
                                       : !AnyFileExists(BootScriptPath);
    if (!unchanged) {
        DiscardFile(ScratchFilePath);
        outcome.Fail(BootScriptNotChanged(
            readError && !DescribeFileError(readError).empty()
                ? DescribeFileError(readError)
                : "another program changed it meanwhile, and its change was kept"));
        return false;
    }
    if (old.present && !::MoveFileA(BootScriptPath, BootScriptBackupPath)) {
        const DWORD error = ::GetLastError();
        DiscardFile(ScratchFilePath);
        outcome.Fail(BootScriptNotChanged(DescribeFileError(error, BootScriptPath)));
        return false;
    }
    if (!::MoveFileA(ScratchFilePath, BootScriptPath)) {
        const DWORD error = ::GetLastError();
        DiscardFile(ScratchFilePath);
        if (old.present && !::MoveFileA(BootScriptBackupPath, BootScriptPath)) {
            // The old boot script is whole, but under the backup's name: say so, not that
            // nothing changed. The next start of the program puts it back.
            outcome.Fail(BootScriptNotChanged(DescribeFileError(error, BootScriptPath)) +
                         " Its old text is in " + BootScriptBackupPath +
                         ", which Quillgate puts back at its next start.");
            return false;
        }
        outcome.Fail(BootScriptNotChanged(DescribeFileError(error, BootScriptPath)));
        return false;
    }
    // Until the new boot script's directory entry is on disk, the backup is the only copy
    // there: on a failed flush it stays, and the next start deletes it.
    const bool flushed = FlushFile(BootScriptPath) == NO_ERROR;
    if (old.present) {
        constexpr DWORD Kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
        const DWORD attributes = old.attributes & Kept;
        ::SetFileAttributesA(BootScriptPath, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    }
    if (seconds > 0)
        pause(seconds);
    // The backup goes only when it is the text this swap moved aside; what another program
    // saved in the instant before the rename is kept there, and said.
    std::string backup;
    const bool backupRead = old.present && ReadAny(BootScriptBackupPath, backup);
    if (flushed && (!old.present || (backupRead && backup == old.bytes)))
        DiscardFile(BootScriptBackupPath);
    else if (flushed && backupRead)
        outcome.Fail(std::string("Another program changed ") + BootScriptPath +
                     " at the same instant as Quillgate: that program's text is kept in " +
                     BootScriptBackupPath + ".");
    return true;
}

DWORD ReplaceOwnFile(const std::string& from, const std::string& target) {
    if (const DWORD error = DeleteOwnFile(target))
        return error;
    if (!::MoveFileA(from.c_str(), target.c_str()))
        return ::GetLastError();
    return NO_ERROR;
}

DWORD WriteFileWhole(const std::string& target, const std::string& temp, const std::string& bytes) {
    DiscardFile(temp);
    DWORD error = WriteFileDurably(temp, bytes);
    if (!error)
        error = ReplaceOwnFile(temp, target);
    if (error) {
        DiscardFile(temp);
        return error;
    }
    std::string check;
    if (const DWORD readError = ReadWholeFile(target, check))
        return readError;
    const bool same = check == bytes;
    WipeString(check);
    return same ? NO_ERROR : ERROR_WRITE_FAULT;
}

DWORD CopyFileWhole(const std::string& source, const std::string& target, const std::string& temp) {
    std::string want, have;
    if (ReadWholeFile(source.c_str(), want) == NO_ERROR && AnyFileExists(target) &&
        ReadWholeFile(target, have) == NO_ERROR && want == have) {
        // The same program is there: leave it in place, so it is never missing even briefly.
        if (PathAttributes(target) & FILE_ATTRIBUTE_READONLY)
            ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        return NO_ERROR;
    }
    DiscardFile(temp);
    if (!::CopyFileA(source.c_str(), temp.c_str(), FALSE)) {
        const DWORD error = ::GetLastError();
        DiscardFile(temp);
        return error;
    }
    // CopyFile keeps the source's attributes, the read-only mark of a CD among them.
    ::SetFileAttributesA(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    // On disk and checked before it takes the old copy's place: after a power cut DOS would
    // otherwise run a program of the right size whose clusters were never written.
    DWORD error = FlushFile(temp);
    if (!error)
        error = ReadWholeFile(temp, have);
    if (!error && (want.empty() || have != want))
        error = ERROR_WRITE_FAULT;
    if (error) {
        DiscardFile(temp);
        return error;
    }
    if (const DWORD deleteError = DeleteOwnFile(target)) {
        DiscardFile(temp); // the old copy is still in its place
        return deleteError;
    }
    // The old copy is gone, or going once another program lets go of it (NT): from here on
    // the new copy may be the last one, so it stays under its temporary name if the rename
    // fails twice.
    if (::MoveFileA(temp.c_str(), target.c_str()))
        return NO_ERROR;
    error = ::GetLastError();
    if (::MoveFileA(temp.c_str(), target.c_str()))
        return NO_ERROR;
    return error;
}

} // namespace qg
