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
#include <string>
#include <vector>

namespace qg {

namespace {

// The configuration files that a DOS may read instead of CONFIG.SYS (DosSystem.h), with
// their records.
struct ConfigFileRow {
    const char* name;
    const SwappedFile& file;
    const char* record;
};
const ConfigFileRow ConfigFiles[] = {
    {"CONFIG.SYS", ConfigSysFile, ConfigSysRecordPath},
    {"FDCONFIG.SYS", FdconfigSysFile, QG_BOOT_FOLDER_LOWER "\\fdconfig.qgr"},
    {"DCONFIG.SYS", DconfigSysFile, QG_BOOT_FOLDER_LOWER "\\dconfig.qgr"},
};
const ConfigFileRow& ConfigFileNamed(const std::string& name) {
    for (const ConfigFileRow& row : ConfigFiles) {
        if (name == row.name)
            return row;
    }
    return ConfigFiles[0];
}

// A file on a compressed C:'s host drive, found at run time: a row of the swap built for it,
// its names beside it on that drive, its record carrying the drive's letter ("msdosh.qgr").
struct HostFile {
    std::string path, scratch, backup, record;
    SwappedFile Row() const {
        return {path.c_str(), scratch.c_str(), backup.c_str(),
                SwappedFile::ReadOnly::KeptThrough, SwappedFile::ScratchOwner::ByName};
    }
};
HostFile OnHost(char drive, const std::string& base, const char* extension,
                const std::string& recordBase) {
    const char letter = static_cast<char>(drive | 0x20);
    const std::string stem = std::string(1, letter) + ":\\" + base;
    return {stem + "." + extension, stem + ".qgn", stem + ".qgb",
            std::string(QG_BOOT_FOLDER_LOWER "\\") + recordBase + letter + ".qgr"};
}
HostFile HostMsdosSys(char drive) {
    return OnHost(drive, "msdos", "sys", "msdos");
}
HostFile HostIni(char drive, const std::string& name) {
    const std::string base = name.rfind("DBL", 0) == 0 ? "dblspace" : "drvspace";
    return OnHost(drive, base, "ini", base.substr(0, 3) + "spc");
}
// The hosts whose files a record in the boot folder says the lock changed.
std::vector<char> HostsRecorded() {
    std::vector<char> hosts;
    for (char drive = 'D'; drive <= 'Z'; ++drive) {
        if (AnyFileExists(HostMsdosSys(drive).record) ||
            AnyFileExists(HostIni(drive, "DRVSPACE.INI").record) ||
            AnyFileExists(HostIni(drive, "DBLSPACE.INI").record))
            hosts.push_back(drive);
    }
    return hosts;
}

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
    for (const ConfigFileRow& row : ConfigFiles) {
        const FileOnDisk config = ReadFileOnDisk(row.file);
        if (config.readable && HoldsInstallLine(config.bytes))
            return true;
    }
    return false;
}

void CloseStartupKeys(Outcome& outcome) {
    // MSDOS.SYS first: a cut-short swap of it would hide what the system is. Where it is not
    // the settings file of Windows 95/98 (it is the DOS kernel of MS-DOS 6), it is none of the
    // lock's business, unless a swap of the lock's own left its backup.
    FileOnDisk msdos;
    Outcome msdosOutcome;
    const bool msdosRead = ReadReadable(MsdosSysFile, msdos, msdosOutcome);
    const StartupJudgement judged = JudgeStartupHere();
    const bool msdosOnC = judged.msdosSys && judged.systemDrive == 'C';
    if (msdosOnC || AnyFileExists(MsdosSysFile.backup)) {
        for (const std::string& failure : msdosOutcome.Failures())
            outcome.Fail(failure);
    }
    for (const std::string& note : msdosOutcome.Notes())
        outcome.Note(note);
    const ConfigFileRow& configRow = ConfigFileNamed(judged.configFile);
    FileOnDisk config;
    if (ReadReadable(configRow.file, config, outcome))
        CloseFile(configRow.file, configRow.record, config,
                  CloseKeysInConfigSys(config.bytes, judged.switchN), judged.switchN, outcome);
    // Only Windows 95/98 read these settings; elsewhere MSDOS.SYS is left as it is.
    if (msdosRead && msdosOnC)
        CloseFile(MsdosSysFile, MsdosSysRecordPath, msdos, CloseKeysInMsdosSys(msdos.bytes),
                  false, outcome);
    if (!judged.compressed || !judged.systemDrive)
        return;
    if (judged.msdosSys) {
        const HostFile host = HostMsdosSys(judged.systemDrive);
        FileOnDisk found;
        if (ReadReadable(host.Row(), found, outcome) && found.present)
            CloseFile(host.Row(), host.record.c_str(), found, CloseKeysInMsdosSys(found.bytes),
                      false, outcome);
    }
    if (!judged.compressionIni.empty()) {
        const HostFile host = HostIni(judged.systemDrive, judged.compressionIni);
        FileOnDisk found;
        if (ReadReadable(host.Row(), found, outcome) && found.present)
            CloseFile(host.Row(), host.record.c_str(), found,
                      CloseKeysInCompressionIni(found.bytes), false, outcome);
    }
}

namespace {

// Puts one recorded file back with `open`, when it has a record.
void OpenRecorded(const SwappedFile& file, const char* recordPath,
                  SystemFileRestore (*open)(const std::string&, const SystemFileRecord&),
                  Outcome& outcome) {
    std::optional<SystemFileRecord> record;
    if (!ReadRecord(recordPath, record, outcome) || !record)
        return;
    FileOnDisk found;
    if (ReadReadable(file, found, outcome)) {
        const SystemFileRestore restore =
            found.present ? open(found.bytes, *record) : SystemFileRestore();
        Restore(file, recordPath, found, restore, record->attributes, outcome);
    }
}

} // namespace

void OpenStartupKeys(Outcome& outcome) {
    OpenRecorded(MsdosSysFile, MsdosSysRecordPath, OpenKeysInMsdosSys, outcome);
    for (const char host : HostsRecorded()) {
        const HostFile msdos = HostMsdosSys(host);
        OpenRecorded(msdos.Row(), msdos.record.c_str(), OpenKeysInMsdosSys, outcome);
        for (const char* name : {"DRVSPACE.INI", "DBLSPACE.INI"}) {
            const HostFile ini = HostIni(host, name);
            OpenRecorded(ini.Row(), ini.record.c_str(), OpenKeysInCompressionIni, outcome);
        }
    }
    std::optional<SystemFileRecord> record;
    for (const ConfigFileRow& row : ConfigFiles) {
        if (!ReadRecord(row.record, record, outcome))
            continue;
        FileOnDisk config;
        if (!ReadReadable(row.file, config, outcome))
            continue;
        const SystemFileRestore restore =
            OpenKeysInConfigSys(config.present, config.bytes, record ? &*record : nullptr);
        if (record) {
            Restore(row.file, row.record, config, restore, record->attributes, outcome);
        } else if (restore.action == SystemFileRestore::Action::Write) {
            SwapFile(row.file, config, restore.text, config.attributes, 0, NoPause, outcome);
        }
    }
}

void RecoverHostFiles() {
    for (const char host : HostsRecorded()) {
        RecoverSwap(HostMsdosSys(host).Row());
        for (const char* name : {"DRVSPACE.INI", "DBLSPACE.INI"})
            RecoverSwap(HostIni(host, name).Row());
    }
}

PromptKeyboards JudgePromptKeyboards(const StartupJudgement& judged) {
    const FileOnDisk config = ReadFileOnDisk(ConfigFileNamed(judged.configFile).file);
    const FileOnDisk script = ReadFileOnDisk(BootScriptFile);
    // A file that cannot be read shows no KEYB: the US keyboard, which refuses more passwords
    // but locks no one out.
    const std::string configText = config.readable ? config.bytes : std::string();
    PromptKeyboards keyboards;
    keyboards.strongUs =
        !KeybRunsBeforeInstallLine(CloseKeysInConfigSys(configText, judged.switchN).text);
    keyboards.ordinaryUs = !KeybRunsInConfigSys(configText) &&
                           !(script.readable && KeybRunsBeforeBootScriptLine(script.bytes));
    return keyboards;
}

} // namespace qg
