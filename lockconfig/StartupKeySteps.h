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

// True when a configuration file that a DOS reads (CONFIG.SYS, FDCONFIG.SYS, DCONFIG.SYS)
// holds the lock's INSTALL= line, in any letter case: the keys are closed.
bool StartupKeysClosed();

// Closes the keys in the files that the DOS judged from the drives reads (JudgeStartupHere):
// the INSTALL= line (and SWITCHES=/N where that DOS takes it) in its configuration file; on
// Windows 95/98, BootKeys=0 and the rest in the text MSDOS.SYS that starts the PC (the host's
// on a compressed C:); /N in the compression driver's INI file of MS-DOS 6.2x. What is closed
// already stays as it is. A record is written only where none is: a second close over a
// half-closed file keeps the record of what was there before the lock. Failures go to the
// outcome.
void CloseStartupKeys(Outcome& outcome);

// Opens them again: each file as its record says, byte for byte when nobody changed it since;
// without a record only the INSTALL= line goes. A record goes once its file is put back.
void OpenStartupKeys(Outcome& outcome);

// Finishes or undoes a cut-short swap of a compressed C:'s host files that a record names (the
// files of drive C: are rows of FileSwap.h's table). At start-up.
void RecoverHostFiles();

// Whether each prompt has the US keyboard: the one the configuration file starts with the keys
// closed, and the boot script's. A prompt has the owner's keyboard where KEYB runs before it.
struct PromptKeyboards {
    bool strongUs = true;
    bool ordinaryUs = true;
};
PromptKeyboards JudgePromptKeyboards(const StartupJudgement& judged);

} // namespace qg
