/*
 * Crash-safe changes to the lock's files (see SafeFiles.h).
 *
 * Boot-script swap, and what is on disk at each instant:
 *   1. new text written whole and flushed to the scratch file   autoexec.bat (old)
 *   2. autoexec.bat renamed to the backup                        backup (old)
 *   3. scratch file renamed to autoexec.bat                      autoexec.bat (new), backup (old)
 *   4. backup deleted                                            autoexec.bat (new)
 * Renames do not copy data, so each of these names always holds a whole file. RecoverBootScript
 * puts the backup back when only the backup is there (a cut after step 2), and otherwise drops
 * the leftovers.
 */
#include "lockconfig/SafeFiles.h"

#include "lockconfig/BootFiles.h"
#include "support/FileUtil.h"
#include "support/Secret.h"

namespace qg {

namespace {

std::string BootScriptNotChanged(const std::string& reason) {
    return FailedStep(BootScriptPath, "changed", reason);
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

void ReplaceBootScript(const BootScriptOnDisk& old, const std::string& newText, double seconds,
                       const Pause& pause, Outcome& outcome) {
    if (old.present && old.readOnly()) {
        outcome.Fail(BootScriptNotChanged("it is read-only"));
        return;
    }
    DiscardFile(ScratchFilePath);
    DiscardFile(BootScriptBackupPath);

    if (const DWORD error = WriteFileDurably(ScratchFilePath, newText)) {
        std::string reason = "its new text could not be written to ";
        reason += ScratchFilePath;
        const std::string why = DescribeFileError(error);
        if (!why.empty())
            reason += " (" + why + ")";
        outcome.Fail(BootScriptNotChanged(reason));
        DiscardFile(ScratchFilePath);
        return;
    }
    if (seconds > 0)
        pause(seconds);
    if (old.present && !::MoveFileA(BootScriptPath, BootScriptBackupPath)) {
        const DWORD error = ::GetLastError();
        DiscardFile(ScratchFilePath);
        outcome.Fail(BootScriptNotChanged(DescribeFileError(error)));
        return;
    }
    if (!::MoveFileA(ScratchFilePath, BootScriptPath)) {
        const DWORD error = ::GetLastError();
        DiscardFile(ScratchFilePath);
        if (old.present && !::MoveFileA(BootScriptBackupPath, BootScriptPath)) {
            // The old boot script is whole, but under the backup's name: say so, not that
            // nothing changed. The next start of the program puts it back.
            outcome.Fail(BootScriptNotChanged(DescribeFileError(error)) + " Its old text is in " +
                         BootScriptBackupPath + ", which Quillgate puts back at its next start.");
            return;
        }
        outcome.Fail(BootScriptNotChanged(DescribeFileError(error)));
        return;
    }
    if (old.present) {
        constexpr DWORD Kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
        const DWORD attributes = old.attributes & Kept;
        ::SetFileAttributesA(BootScriptPath, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    }
    if (seconds > 0)
        pause(seconds);
    DiscardFile(BootScriptBackupPath);
}

void RecoverBootScript() {
    if (AnyFileExists(BootScriptBackupPath)) {
        if (AnyFileExists(BootScriptPath))
            DiscardFile(BootScriptBackupPath); // the new boot script had moved in
        else
            ::MoveFileA(BootScriptBackupPath, BootScriptPath);
    }
    DiscardFile(ScratchFilePath);
}

DWORD WriteFileWhole(const std::string& target, const std::string& temp, const std::string& bytes) {
    if (const DWORD error = WriteFileDurably(temp, bytes)) {
        DiscardFile(temp);
        return error;
    }
    if (!::MoveFileA(temp.c_str(), target.c_str())) {
        // Something is still in the way (an old file that could not be deleted): truncate and
        // write it in place, so it holds exactly the new bytes all the same.
        DiscardFile(temp);
        if (const DWORD error = WriteFileDurably(target, bytes))
            return error;
    }
    std::string check;
    if (const DWORD error = ReadWholeFile(target, check))
        return error;
    const bool same = check == bytes;
    WipeString(check);
    return same ? NO_ERROR : ERROR_WRITE_FAULT;
}

DWORD CopyFileWhole(const std::string& source, const std::string& target, const std::string& temp) {
    DiscardFile(temp);
    if (!::CopyFileA(source.c_str(), temp.c_str(), FALSE)) {
        const DWORD error = ::GetLastError();
        DiscardFile(temp);
        return error;
    }
    if (!::DeleteFileA(target.c_str())) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            DiscardFile(temp);
            return error;
        }
    }
    if (!::MoveFileA(temp.c_str(), target.c_str())) {
        const DWORD error = ::GetLastError();
        DiscardFile(temp);
        return error;
    }
    return NO_ERROR;
}

} // namespace qg
