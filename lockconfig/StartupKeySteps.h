/*
 * The strong lock's steps on drive C:: closing and opening the start-up keys in CONFIG.SYS and
 * MSDOS.SYS (the edits are in StartupKeyEdits.h), each file changed through the same swap and
 * start-up recovery as the boot script, so a crash leaves the old or the new file whole; what
 * was there before is recorded in the boot folder for the removal.
 */
#pragma once

#include "lockconfig/Contract.h"
#include "lockconfig/Outcome.h"

#include <string>

namespace qg {

constexpr char ConfigSysPath[] = QG_CONFIG_SYS;
constexpr char MsdosSysPath[] = "c:\\msdos.sys";
// Each file's new text is written whole to its scratch file, the file is moved aside to its
// backup, and the scratch file moves into its place.
constexpr char ConfigSysScratchPath[] = "c:\\config.qgn";
constexpr char ConfigSysBackupPath[] = "c:\\config.qgb";
constexpr char MsdosSysScratchPath[] = "c:\\msdos.qgn";
constexpr char MsdosSysBackupPath[] = "c:\\msdos.qgb";
// What each file was before the lock changed it (StartupKeyEdits.h, FormatRecord).
constexpr char ConfigSysRecordPath[] = QG_BOOT_FOLDER_LOWER "\\config.qgr";
constexpr char MsdosSysRecordPath[] = QG_BOOT_FOLDER_LOWER "\\msdos.qgr";
constexpr char RecordTempPath[] = QG_BOOT_FOLDER_LOWER "\\record.tmp";

// True when CONFIG.SYS holds the lock's INSTALL= line, in any letter case: the keys are closed.
bool StartupKeysClosed();

// Closes the keys: the INSTALL= line (and SWITCHES=/N where the DOS on C: takes it) in
// CONFIG.SYS; on Windows 95/98, BootKeys=0 and BootWarn=0 in a text MSDOS.SYS. What is closed
// already stays as it is. Failures go to the outcome.
void CloseStartupKeys(bool windows9x, Outcome& outcome);

// Opens them again: each file as its record says, byte for byte when nobody changed it since;
// without a record only the INSTALL= line goes. A record goes once its file is put back.
void OpenStartupKeys(Outcome& outcome);

// Finishes or undoes a swap of CONFIG.SYS or MSDOS.SYS that was cut short. At start-up.
void RecoverStartupKeyFiles();

} // namespace qg
