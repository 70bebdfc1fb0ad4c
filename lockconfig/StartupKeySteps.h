/*
 * The strong lock's steps on drive C:: closing and opening the start-up keys in CONFIG.SYS and
 * MSDOS.SYS (the edits are in StartupKeyEdits.h), each file changed through the swap of
 * FileSwap.h; what a file was before the lock first changed it is recorded in the boot folder
 * for the removal. Which files are edited is decided by the DOS judged to boot from drive C:.
 */
#pragma once

#include "lockconfig/Contract.h"
#include "lockconfig/DosSystem.h"
#include "lockconfig/Outcome.h"

namespace qg {

// What each file was before the lock first changed it (StartupKeyEdits.h, FormatRecord).
constexpr char ConfigSysRecordPath[] = QG_BOOT_FOLDER_LOWER "\\config.qgr";
constexpr char MsdosSysRecordPath[] = QG_BOOT_FOLDER_LOWER "\\msdos.qgr";
constexpr char RecordTempPath[] = QG_BOOT_FOLDER_LOWER "\\record.tmp";

// True when CONFIG.SYS holds the lock's INSTALL= line, in any letter case: the keys are closed.
bool StartupKeysClosed();

// The DOS that boots from drive C:, judged from its start-up files.
DosSystem JudgeDosSystemOnDriveC();

// Closes the keys: the INSTALL= line (and SWITCHES=/N where the DOS on C: takes it) in
// CONFIG.SYS; where that DOS is Windows 95/98, BootKeys=0 and BootWarn=0 in MSDOS.SYS. What is
// closed already stays as it is. A record is written only where none is: a second close over a
// half-closed file keeps the record of what was there before the lock. Failures go to the
// outcome.
void CloseStartupKeys(Outcome& outcome);

// Opens them again: each file as its record says, byte for byte when nobody changed it since;
// without a record only the INSTALL= line goes. A record goes once its file is put back.
void OpenStartupKeys(Outcome& outcome);

} // namespace qg
