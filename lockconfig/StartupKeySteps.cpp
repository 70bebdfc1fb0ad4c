/*
 * The strong lock's steps on drive C: (see StartupKeySteps.h).
 *
 * A file is swapped as the boot script is (SafeFiles.cpp): new text whole and flushed to the
 * scratch file, the file moved aside to the backup, the scratch file moved into its place and
 * flushed, the backup deleted; PlanSwapRecovery decides what a cut-short swap left. A record is
 * written whole before its file changes and deleted only after the file is put back, so the
 * bytes to put back are on disk at every instant.
 */
#include "lockconfig/StartupKeySteps.h"

#include "lockconfig/BootFiles.h"
#include "lockconfig/DosSystem.h"
#include "lockconfig/StartupKeyEdits.h"
#include "lockconfig/SwapRecovery.h"
#include "lockconfig/SafeFiles.h"
#include "support/FileUtil.h"

#include <windows.h>

#include <optional>

namespace qg {

namespace {

struct SwapNames {
    const char* target;
    const char* scratch;
    const char* backup;
};
constexpr SwapNames ConfigSwap{ConfigSysPath, ConfigSysScratchPath, ConfigSysBackupPath};
constexpr SwapNames MsdosSwap{MsdosSysPath, MsdosSysScratchPath, MsdosSysBackupPath};

// The DOS start-up files that tell which DOS boots from drive C:.
constexpr char KernelSysPath[] = "c:\\kernel.sys";
constexpr char IoSysPath[] = "c:\\io.sys";

constexpr DWORD KeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;

struct FileOnDisk {
    bool present = false;
    DWORD attributes = 0;
    DWORD readError = 0;
    std::string bytes;
};

FileOnDisk ReadSystemFile(const char* path) {
    FileOnDisk file;
    file.present = AnyFileExists(path);
    if (!file.present)
        return file;
    file.attributes = PathAttributes(path) & KeptAttributes;
    file.readError = ReadWholeFile(path, file.bytes);
    return file;
}

std::string WithWhy(std::string text, DWORD error) {
    const std::string why = DescribeFileError(error);
    if (!why.empty())
        text += " (" + why + ")";
    return text;
}

// Puts right what a cut-short swap left; returns why the file must not be changed yet, or "".
std::string RecoverSwap(const SwapNames& names) {
    SwapLeftovers found;
    found.script = AnyFileExists(names.target);
    found.backup = AnyFileExists(names.backup);
    std::string scratch;
    const bool scratchPresent = AnyFileExists(names.scratch);
    if (scratchPresent && ReadWholeFile(names.scratch, scratch) != NO_ERROR) {
        if (!found.script && !found.backup)
            return std::string("its new text in ") + names.scratch + " could not be read";
        scratch.clear();
    }
    found.scratch = JudgeScratchText(scratchPresent, scratch);
    // Nothing but the swap writes these names: with both there, the file in its place came by
    // the swap's rename, whole, and the backup is the text it replaced, which is kept in the
    // record (installation) or is the lock's own edit (removal).
    found.scriptIsSwapResult = true;
    const RecoveryPlan plan = PlanSwapRecovery(found);
    const char* putBack = plan.putBack == RecoveryPlan::PutBack::Backup    ? names.backup
                          : plan.putBack == RecoveryPlan::PutBack::Scratch ? names.scratch
                                                                            : nullptr;
    if (putBack && !::MoveFileA(putBack, names.target)) {
        const DWORD error = ::GetLastError();
        return WithWhy(std::string("its text is in ") + putBack + ", which could not be put back",
                       error);
    }
    if (plan.deleteScratch)
        DiscardFile(names.scratch);
    if (plan.deleteBackup)
        DiscardFile(names.backup);
    return {};
}

// Moves a file aside; a read-only one that cannot be renamed as it is loses its attributes
// for the move (they are set again on the new file).
bool MoveAside(const char* from, const char* to, DWORD attributes) {
    if (::MoveFileA(from, to))
        return true;
    const DWORD error = ::GetLastError();
    if (!(attributes & FILE_ATTRIBUTE_READONLY) ||
        !::SetFileAttributesA(from, FILE_ATTRIBUTE_NORMAL)) {
        ::SetLastError(error);
        return false;
    }
    if (::MoveFileA(from, to))
        return true;
    const DWORD again = ::GetLastError();
    ::SetFileAttributesA(from, attributes);
    ::SetLastError(again);
    return false;
}

// Puts newText in the file's place and gives it `attributes`; false, with the failure in the
// outcome, when the old file stays.
bool ReplaceSystemFile(const SwapNames& names, const FileOnDisk& old, const std::string& newText,
                       DWORD attributes, Outcome& outcome) {
    auto fail = [&](const std::string& reason) {
        outcome.Fail(FailedStep(names.target, "changed", reason));
        return false;
    };
    if (AnyFileExists(names.backup) || (!old.present && AnyFileExists(names.scratch))) {
        const std::string unsettled = RecoverSwap(names);
        return fail(unsettled.empty() ? "an earlier change of it had been cut short; it is now "
                                        "put right, so try again"
                                      : unsettled);
    }
    DiscardFile(names.scratch);
    if (const DWORD error = WriteFileDurably(names.scratch, newText)) {
        DiscardFile(names.scratch);
        return fail(WithWhy(std::string("its new text could not be written to ") + names.scratch,
                            error));
    }
    if (old.present && !MoveAside(names.target, names.backup, old.attributes)) {
        const DWORD error = ::GetLastError();
        DiscardFile(names.scratch);
        return fail(DescribeFileError(error));
    }
    if (!::MoveFileA(names.scratch, names.target)) {
        const DWORD error = ::GetLastError();
        DiscardFile(names.scratch);
        if (old.present && !::MoveFileA(names.backup, names.target)) {
            outcome.Fail(
                FailedStep(names.target, "changed", DescribeFileError(error, names.target)) +
                " Its old text is in " + names.backup +
                ", which Quillgate puts back at its next start.");
            return false;
        }
        return fail(DescribeFileError(error));
    }
    // The backup is the only other copy until the new file's entry is on disk.
    const bool flushed = FlushFile(names.target) == NO_ERROR;
    ::SetFileAttributesA(names.target, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    if (flushed)
        DiscardFile(names.backup);
    return true;
}

bool WriteRecord(const char* path, const SystemFileRecord& record, Outcome& outcome) {
    if (const DWORD error = WriteFileWhole(path, RecordTempPath, FormatRecord(record))) {
        outcome.Fail(FailedStep(path, "written", DescribeFileError(error, path)));
        return false;
    }
    return true;
}

// The record, when there is one; false when there is one that cannot be read.
bool ReadRecord(const char* path, std::optional<SystemFileRecord>& record, Outcome& outcome) {
    record.reset();
    if (!AnyFileExists(path))
        return true;
    std::string bytes;
    if (const DWORD error = ReadWholeFile(path, bytes)) {
        outcome.Fail(FailedStep(path, "read", DescribeFileError(error, path)));
        return false;
    }
    record = ParseRecord(bytes);
    if (!record) {
        outcome.Fail(FailedStep(path, "read", "it is damaged"));
        return false;
    }
    return true;
}

// The file once a cut-short swap is put right; false, with the reason, when it is not readable.
bool ReadSettled(const SwapNames& names, FileOnDisk& file, Outcome& outcome) {
    const std::string unsettled = RecoverSwap(names);
    if (!unsettled.empty()) {
        outcome.Fail(FailedStep(names.target, "changed", unsettled));
        return false;
    }
    file = ReadSystemFile(names.target);
    if (file.present && file.readError) {
        outcome.Fail(
            FailedStep(names.target, "read", DescribeFileError(file.readError, names.target)));
        return false;
    }
    return true;
}

// Closes one file: the record first, then the swap. Nothing when nothing is to change.
void CloseFile(const SwapNames& names, const char* recordPath, const FileOnDisk& file,
               const SystemFileEdit& edit, bool switchN, Outcome& outcome) {
    if (edit.edits.empty())
        return;
    const SystemFileRecord record{file.present, file.attributes, switchN, file.bytes};
    if (WriteRecord(recordPath, record, outcome))
        ReplaceSystemFile(names, file, edit.text, file.attributes, outcome);
}

// Carries out a restore; the record goes once the file is as it should be.
void Restore(const SwapNames& names, const char* recordPath, const FileOnDisk& file,
             const SystemFileRestore& restore, DWORD recordedAttributes, Outcome& outcome) {
    bool done = true;
    switch (restore.action) {
    case SystemFileRestore::Action::Keep:
        break;
    case SystemFileRestore::Action::Write:
        done = ReplaceSystemFile(names, file, restore.text,
                                 restore.exact ? recordedAttributes : file.attributes, outcome);
        break;
    case SystemFileRestore::Action::Delete:
        if (const DWORD error = DeleteOwnFile(names.target)) {
            outcome.Fail(
                FailedStep(names.target, "deleted", DescribeFileError(error, names.target)));
            done = false;
        }
        break;
    }
    if (done) {
        if (const DWORD error = DeleteOwnFile(recordPath))
            outcome.Fail(FailedStep(recordPath, "deleted", DescribeFileError(error, recordPath)));
    }
}

} // namespace

bool StartupKeysClosed() {
    const FileOnDisk config = ReadSystemFile(ConfigSysPath);
    return config.present && !config.readError && HoldsInstallLine(config.bytes);
}

void CloseStartupKeys(bool windows9x, Outcome& outcome) {
    FileOnDisk msdos;
    Outcome notOurs; // elsewhere MSDOS.SYS is not the lock's business
    const bool msdosReadable = ReadSettled(MsdosSwap, msdos, windows9x ? outcome : notOurs);
    const bool textMsdos = msdosReadable && msdos.present && IsTextMsdosSys(msdos.bytes);
    std::string ioSys;
    if (AnyFileExists(IoSysPath) && ReadWholeFile(IoSysPath, ioSys) != NO_ERROR)
        ioSys.clear();
    const bool switchN =
        TakesSwitchN(JudgeDosSystem(textMsdos, AnyFileExists(KernelSysPath), ioSys));

    FileOnDisk config;
    if (ReadSettled(ConfigSwap, config, outcome))
        CloseFile(ConfigSwap, ConfigSysRecordPath, config,
                  CloseKeysInConfigSys(config.bytes, switchN), switchN, outcome);
    // Only Windows 95/98 read these settings; elsewhere MSDOS.SYS is left as it is.
    if (windows9x && textMsdos)
        CloseFile(MsdosSwap, MsdosSysRecordPath, msdos, CloseKeysInMsdosSys(msdos.bytes), false,
                  outcome);
}

void OpenStartupKeys(Outcome& outcome) {
    std::optional<SystemFileRecord> record;
    if (ReadRecord(MsdosSysRecordPath, record, outcome) && record) {
        FileOnDisk msdos;
        if (ReadSettled(MsdosSwap, msdos, outcome)) {
            const SystemFileRestore restore =
                msdos.present ? OpenKeysInMsdosSys(msdos.bytes, *record) : SystemFileRestore();
            Restore(MsdosSwap, MsdosSysRecordPath, msdos, restore, record->attributes, outcome);
        }
    }
    if (ReadRecord(ConfigSysRecordPath, record, outcome)) {
        FileOnDisk config;
        if (ReadSettled(ConfigSwap, config, outcome)) {
            const SystemFileRestore restore =
                OpenKeysInConfigSys(config.present, config.bytes, record ? &*record : nullptr);
            if (record) {
                Restore(ConfigSwap, ConfigSysRecordPath, config, restore, record->attributes,
                        outcome);
            } else if (restore.action == SystemFileRestore::Action::Write) {
                ReplaceSystemFile(ConfigSwap, config, restore.text, config.attributes, outcome);
            }
        }
    }
}

void RecoverStartupKeyFiles() {
    RecoverSwap(ConfigSwap);
    RecoverSwap(MsdosSwap);
}

} // namespace qg
