/*
 * What the home window shows, decided from what its scan found on drive C: alone: the status
 * line and which option is selected. Either line starts the boot prompt, so a line that names a
 * prompt that cannot run (its program or password gone) is a damaged lock, not an active one.
 */
#pragma once

namespace qg {

struct LockScan {
    enum class BootScript {
        Absent,
        Unreadable,
        NoLines,   // empty
        Line,      // holds the boot-script line in any letter case
        OtherLines,
    };
    BootScript bootScript = BootScript::Absent;
    bool configSysLine = false; // CONFIG.SYS holds the lock's INSTALL= line
    bool folder = false;        // the boot folder is there
    bool bootProgram = false;   // qg.exe is in it
    bool passwordFile = false;  // the password file, or the new one that stands in for it
    bool bootScriptRuns = true; // not where FreeDOS starts FDAUTO.BAT instead (DosSystem.h)
};

struct LockStatusShown {
    // NotRun: only the boot script's line is there, and this DOS does not run the boot script.
    enum class Status { Unchanged, NotActive, Active, Damaged, NotRun };
    enum class Option { Unchanged, Yes, No };
    Status status = Status::Unchanged;
    Option option = Option::Unchanged;
    bool operator==(const LockStatusShown& other) const {
        return status == other.status && option == other.option;
    }
};

LockStatusShown JudgeLockStatus(const LockScan& scan);

} // namespace qg
