/*
 * The swap of a file that others own too (see FileSwap.h), and what is on disk at each instant:
 *   1. new text written whole and flushed to the scratch file   file (old)
 *   2. the file renamed to the backup                             backup (old)
 *   3. scratch file renamed into the file's place, and flushed    file (new), backup (old)
 *   4. backup deleted                                             file (new)
 * The flush in step 3 puts the rename on disk before the backup's deletion can be. The
 * recovery decides from what it finds (SwapRecovery.h).
 */
#include "lockconfig/FileSwap.h"

#include "lockconfig/SwapRecovery.h"
#include "support/FileUtil.h"
#include "support/Secret.h"

namespace qg {

namespace {

constexpr DWORD KeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;

std::string NotChanged(const SwappedFile& file, const std::string& reason) {
    return FailedStep(file.path, "changed", reason);
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

// Renames a whole file. A read-only one that cannot be renamed as it is loses the mark for
// the move and gets it back under its new name; the last error is the rename's.
bool MoveWhole(const char* from, const char* to) {
    if (::MoveFileA(from, to))
        return true;
    const DWORD error = ::GetLastError();
    const DWORD attributes = PathAttributes(from);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY) ||
        !::SetFileAttributesA(from, attributes & ~FILE_ATTRIBUTE_READONLY)) {
        ::SetLastError(error);
        return false;
    }
    if (::MoveFileA(from, to)) {
        ::SetFileAttributesA(to, attributes);
        return true;
    }
    const DWORD again = ::GetLastError();
    ::SetFileAttributesA(from, attributes);
    ::SetLastError(again);
    return false;
}

struct Recovered {
    std::string unsettled;  // why the file must not be changed yet
    std::string movedAside; // where a scratch file that is not the swap's went
};

Recovered Recover(const SwappedFile& file, bool moveForeignAside) {
    SwapLeftovers found;
    found.script = AnyFileExists(file.path);
    found.backup = AnyFileExists(file.backup);
    std::string scratch;
    const bool scratchPresent = AnyFileExists(file.scratch);
    if (scratchPresent && ReadWholeFile(file.scratch, scratch) != NO_ERROR) {
        if (!found.script && !found.backup)
            return {std::string("its new text in ") + file.scratch + " could not be read", {}};
        found.scratchOwner = ScratchOwner::Foreign; // unreadable: not known to be ours
    }
    found.scratch = JudgeScratchText(scratchPresent, scratch);
    if (file.scratchOwner == SwappedFile::ScratchOwner::ByName) {
        // Nothing but the swap writes these names: with both there, the file in its place came
        // by the swap's rename, whole, and the backup is the text it replaced.
        found.scriptIsSwapResult = true;
    } else {
        std::string text, backup;
        const bool textRead = found.script && ReadAny(file.path, text);
        const bool backupRead = found.backup && ReadAny(file.backup, backup);
        if (found.script && found.backup)
            found.scriptIsSwapResult = textRead && backupRead && IsSwapResult(backup, text);
        if (scratchPresent && found.scratchOwner == ScratchOwner::Own) {
            const std::string* base = backupRead ? &backup : textRead ? &text : nullptr;
            if ((found.backup && !backupRead) || (found.script && !textRead))
                found.scratchOwner = ScratchOwner::Foreign; // cannot be compared: kept
            else
                found.scratchOwner =
                    JudgeScratchOwner(base, textRead ? &text : nullptr, scratch, found.scratch);
        }
    }
    WipeString(scratch);

    RecoveryPlan plan = PlanSwapRecovery(found);
    Recovered result;
    if (plan.scratchKept && moveForeignAside) {
        // Kept, but out of the swap's way, so that it holds nothing up.
        const std::string aside = FreeNameBeside(file.scratch);
        if (!aside.empty() && MoveWhole(file.scratch, aside.c_str())) {
            result.movedAside = aside;
            found.scratch = ScratchText::Absent;
            plan = PlanSwapRecovery(found);
        }
    }
    if (plan.putBack == RecoveryPlan::PutBack::ScratchOverScript) {
        // The file is a cut-short start of the scratch text, so it holds nothing more.
        if (const DWORD error = DeleteOwnFile(file.path)) {
            result.unsettled = WithWhy(std::string("its whole text is in ") + file.scratch +
                                           ", which could not be put back",
                                       error);
            return result;
        }
    }
    const char* putBack = plan.putBack == RecoveryPlan::PutBack::Backup    ? file.backup
                          : plan.putBack == RecoveryPlan::PutBack::Nothing ? nullptr
                                                                           : file.scratch;
    if (putBack && !MoveWhole(putBack, file.path)) {
        const DWORD error = ::GetLastError();
        result.unsettled = WithWhy(
            std::string("its text is in ") + putBack + ", which could not be put back", error);
        return result;
    }
    if (plan.deleteScratch)
        DiscardFile(file.scratch);
    if (plan.deleteBackup)
        DiscardFile(file.backup);
    if (plan.backupKept)
        result.unsettled = std::string("an earlier copy of it is in ") + file.backup +
                           ": keep the right one as " + file.path + " and delete the other";
    else if (plan.scratchKept)
        result.unsettled = std::string(file.scratch) +
                           " is there and Quillgate did not write it: it may hold the only "
                           "whole copy of " + file.path +
                           ", so keep what you need of it and delete it";
    return result;
}

// Recovers, and says in the outcome where a scratch file that was in the way went.
std::string RecoverAndSay(const SwappedFile& file, Outcome& outcome) {
    const Recovered recovered = Recover(file, true);
    if (!recovered.movedAside.empty())
        outcome.Note(std::string(file.scratch) + " was there and Quillgate did not write it: it "
                     "is kept as " + recovered.movedAside + ".");
    return recovered.unsettled;
}

} // namespace

FileOnDisk ReadFileOnDisk(const SwappedFile& file) {
    FileOnDisk found;
    const DWORD attributes = PathAttributes(file.path);
    found.present =
        attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!found.present)
        return found;
    found.attributes = attributes & KeptAttributes;
    found.readError = ReadWholeFile(file.path, found.bytes);
    found.readable = found.readError == NO_ERROR;
    return found;
}

std::string RecoverSwap(const SwappedFile& file) {
    return Recover(file, false).unsettled;
}

void RecoverSwappedFiles() {
    for (const SwappedFile* file : SwappedFiles)
        RecoverSwap(*file);
}

bool ReadSettled(const SwappedFile& file, FileOnDisk& found, Outcome& outcome) {
    const std::string unsettled = RecoverAndSay(file, outcome);
    if (!unsettled.empty()) {
        outcome.Fail(NotChanged(file, unsettled));
        return false;
    }
    found = ReadFileOnDisk(file);
    return true;
}

std::string SwapRefusal(const SwappedFile& file, const FileOnDisk& old) {
    if (old.present && old.readOnly() && file.readOnly == SwappedFile::ReadOnly::Refused)
        return "it is read-only";
    return {};
}

bool SwapFile(const SwappedFile& file, const FileOnDisk& old, const std::string& newText,
              DWORD attributes, double seconds, const Pause& pause, Outcome& outcome) {
    auto fail = [&](const std::string& reason) {
        outcome.Fail(NotChanged(file, reason));
        return false;
    };
    const std::string refusal = SwapRefusal(file, old);
    if (!refusal.empty())
        return fail(refusal);
    // Leftovers that may hold the only copy of the file are put right first (callers read
    // `old` through ReadSettled); `old` may be stale then, so this change waits.
    const bool backupThere = AnyFileExists(file.backup);
    if (backupThere || AnyFileExists(file.scratch)) {
        const std::string unsettled = RecoverAndSay(file, outcome);
        const FileOnDisk now = ReadFileOnDisk(file);
        if (!unsettled.empty() || backupThere || now.present != old.present ||
            now.bytes != old.bytes)
            return fail(unsettled.empty() ? "an earlier change of it had been cut short; it is "
                                            "now put right, so try again"
                                          : unsettled);
    }

    if (const DWORD error = WriteFileDurably(file.scratch, newText)) {
        DiscardFile(file.scratch);
        return fail(
            WithWhy(std::string("its new text could not be written to ") + file.scratch, error));
    }
    if (seconds > 0)
        pause(seconds);
    // The pause let other programs run: a file saved meanwhile (an editor, a DOS box, a set-up
    // program) is not the text the new one was made from, and must not be swapped away.
    std::string now;
    const DWORD readError = old.present ? ReadWholeFile(file.path, now) : NO_ERROR;
    const bool unchanged =
        old.present ? !readError && now == old.bytes : !AnyFileExists(file.path);
    if (!unchanged) {
        DiscardFile(file.scratch);
        const std::string why = readError ? DescribeFileError(readError, file.path) : "";
        return fail(!why.empty() ? why
                                 : "another program changed it meanwhile, and its change was kept");
    }
    if (old.present && !MoveWhole(file.path, file.backup)) {
        const DWORD error = ::GetLastError();
        DiscardFile(file.scratch);
        return fail(DescribeFileError(error, file.path));
    }
    if (!::MoveFileA(file.scratch, file.path)) {
        const DWORD error = ::GetLastError();
        DiscardFile(file.scratch);
        if (old.present && !MoveWhole(file.backup, file.path)) {
            // The old text is whole, but under the backup's name: say so, not that nothing
            // changed. The next start of the program puts it back.
            outcome.Fail(NotChanged(file, DescribeFileError(error, file.path)) +
                         " Its old text is in " + file.backup +
                         ", which Quillgate puts back at its next start.");
            return false;
        }
        return fail(DescribeFileError(error, file.path));
    }
    // Until the new file's directory entry is on disk, the backup is the only copy there: on a
    // failed flush it stays, and the next start deletes it.
    const bool flushed = FlushFile(file.path) == NO_ERROR;
    const DWORD kept = attributes & KeptAttributes;
    ::SetFileAttributesA(file.path, kept ? kept : FILE_ATTRIBUTE_NORMAL);
    if (seconds > 0)
        pause(seconds);
    // The backup goes only when it is the text this swap moved aside; what another program
    // saved in the instant before the rename is kept there, and said.
    std::string backup;
    const bool backupRead = old.present && ReadAny(file.backup, backup);
    if (flushed && (!old.present || (backupRead && backup == old.bytes)))
        DiscardFile(file.backup);
    else if (flushed && backupRead)
        outcome.Fail(std::string("Another program changed ") + file.path +
                     " at the same instant as Quillgate: that program's text is kept in " +
                     file.backup + ".");
    return true;
}

std::string FreeNameBeside(const std::string& path) {
    for (int n = 1; n <= 999; ++n) {
        const std::string name = NameBeside(path, n);
        if (PathAttributes(name) == INVALID_FILE_ATTRIBUTES)
            return name;
    }
    return {};
}

} // namespace qg
