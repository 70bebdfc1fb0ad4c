/*
 * The strong lock's steps on drive C: (see StartupKeySteps.h). A record is written whole
 * before its file first changes and deleted only after the file is put back, so the bytes to
 * put back are on disk at every instant; it is made under a temporary name and renamed to a
 * name that is free, so it is never replaced and never missing for an instant.
 */
#include "lockconfig/StartupKeySteps.h"

#include "lockconfig/FileSwap.h"
#include "lockconfig/StartupKeyEdits.h"
#include "support/FileUtil.h"

#include <windows.h>

#include <optional>

namespace qg {

namespace {

// The DOS start-up files that tell which DOS boots from drive C:.
constexpr char KernelSysPath[] = "c:\\kernel.sys";
constexpr char IoSysPath[] = "c:\\io.sys";

// These swaps take no pause.
const Pause NoPause = [](double) {};

// The file once a cut-short swap is put right; false, with the reason, when it is not readable.
bool ReadReadable(const SwappedFile& file, FileOnDisk& found, Outcome& outcome) {
    if (!ReadSettled(file, found, outcome))
        return false;
    if (found.present && !found.readable) {
        outcome.Fail(FailedStep(file.path, "read", DescribeFileError(found.readError, file.path)));
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

// Creates the record; the rename fails rather than replace a record that is there.
bool CreateRecord(const char* path, const SystemFileRecord& record, Outcome& outcome) {
    DiscardFile(RecordTempPath);
    DWORD error = WriteFileDurably(RecordTempPath, FormatRecord(record));
    if (!error && !::MoveFileA(RecordTempPath, path))
        error = ::GetLastError();
    if (error) {
        DiscardFile(RecordTempPath);
        outcome.Fail(FailedStep(path, "written", DescribeFileError(error, path)));
        return false;
    }
    return true;
}

// Closes one file: the record first, unless there is one, then the swap.
void CloseFile(const SwappedFile& file, const char* recordPath, const FileOnDisk& found,
               const SystemFileEdit& edit, bool switchN, Outcome& outcome) {
    if (edit.edits.empty())
        return;
    std::optional<SystemFileRecord> record;
    if (!ReadRecord(recordPath, record, outcome))
        return;
    if (!record &&
        !CreateRecord(recordPath, {found.present, found.attributes, switchN, found.bytes}, outcome))
        return;
    SwapFile(file, found, edit.text, found.attributes, 0, NoPause, outcome);
}

// Carries out a restore; the record goes once the file is as it should be.
void Restore(const SwappedFile& file, const char* recordPath, const FileOnDisk& found,
             const SystemFileRestore& restore, DWORD recordedAttributes, Outcome& outcome) {
    bool done = true;
    switch (restore.action) {
    case SystemFileRestore::Action::Keep:
        break;
    case SystemFileRestore::Action::Write:
        done = SwapFile(file, found, restore.text,
                        restore.exact ? recordedAttributes : found.attributes, 0, NoPause,
                        outcome);
        break;
    case SystemFileRestore::Action::Delete:
        if (const DWORD error = DeleteOwnFile(file.path)) {
            outcome.Fail(FailedStep(file.path, "deleted", DescribeFileError(error, file.path)));
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
    const FileOnDisk config = ReadFileOnDisk(ConfigSysFile);
    return config.readable && HoldsInstallLine(config.bytes);
}

DosSystem JudgeDosSystemOnDriveC() {
    const FileOnDisk msdos = ReadFileOnDisk(MsdosSysFile);
    std::string ioSys;
    if (AnyFileExists(IoSysPath) && ReadWholeFile(IoSysPath, ioSys) != NO_ERROR)
        ioSys.clear();
    return JudgeDosSystem(msdos.readable && IsTextMsdosSys(msdos.bytes),
                          AnyFileExists(KernelSysPath), ioSys);
}

void CloseStartupKeys(Outcome& outcome) {
    // MSDOS.SYS first: a cut-short swap of it would hide what the system is. Where it is not
    // the settings file of Windows 95/98 (it is the DOS kernel of MS-DOS 6), it is none of the
    // lock's business, unless a swap of the lock's own left its backup.
    FileOnDisk msdos;
    Outcome msdosOutcome;
    const bool msdosRead = ReadReadable(MsdosSysFile, msdos, msdosOutcome);
    const DosSystem system = JudgeDosSystemOnDriveC();
    if (system == DosSystem::Windows9x || AnyFileExists(MsdosSysFile.backup)) {
        for (const std::string& failure : msdosOutcome.Failures())
            outcome.Fail(failure);
    }
    for (const std::string& note : msdosOutcome.Notes())
        outcome.Note(note);
    const bool switchN = TakesSwitchN(system);
    FileOnDisk config;
    if (ReadReadable(ConfigSysFile, config, outcome))
        CloseFile(ConfigSysFile, ConfigSysRecordPath, config,
                  CloseKeysInConfigSys(config.bytes, switchN), switchN, outcome);
    // Only Windows 95/98 read these settings; elsewhere MSDOS.SYS is left as it is.
    if (msdosRead && system == DosSystem::Windows9x)
        CloseFile(MsdosSysFile, MsdosSysRecordPath, msdos, CloseKeysInMsdosSys(msdos.bytes),
                  false, outcome);
}

void OpenStartupKeys(Outcome& outcome) {
    std::optional<SystemFileRecord> record;
    if (ReadRecord(MsdosSysRecordPath, record, outcome) && record) {
        FileOnDisk msdos;
        if (ReadReadable(MsdosSysFile, msdos, outcome)) {
            const SystemFileRestore restore =
                msdos.present ? OpenKeysInMsdosSys(msdos.bytes, *record) : SystemFileRestore();
            Restore(MsdosSysFile, MsdosSysRecordPath, msdos, restore, record->attributes,
                    outcome);
        }
    }
    if (ReadRecord(ConfigSysRecordPath, record, outcome)) {
        FileOnDisk config;
        if (ReadReadable(ConfigSysFile, config, outcome)) {
            const SystemFileRestore restore =
                OpenKeysInConfigSys(config.present, config.bytes, record ? &*record : nullptr);
            if (record) {
                Restore(ConfigSysFile, ConfigSysRecordPath, config, restore, record->attributes,
                        outcome);
            } else if (restore.action == SystemFileRestore::Action::Write) {
                SwapFile(ConfigSysFile, config, restore.text, config.attributes, 0, NoPause,
                         outcome);
            }
        }
    }
}

} // namespace qg
