/*
 * The home window's status, from the scan (see LockStatus.h).
 */
#include "lockconfig/LockStatus.h"

namespace qg {

LockStatusShown JudgeLockStatus(const LockScan& scan) {
    using Status = LockStatusShown::Status;
    using Option = LockStatusShown::Option;
    const bool canRun = scan.folder && scan.bootProgram && scan.passwordFile;
    // A line is there: "Yes" is selected, so that Apply mends a damaged lock.
    if (scan.configSysLine || scan.bootScript == LockScan::BootScript::Line) {
        if (!canRun)
            return {Status::Damaged, Option::Yes};
        return {scan.configSysLine || scan.bootScriptRuns ? Status::Active : Status::NotRun,
                Option::Yes};
    }
    switch (scan.bootScript) {
    case LockScan::BootScript::Absent:
        return {Status::NotActive, Option::Unchanged};
    case LockScan::BootScript::OtherLines:
        return {Status::NotActive, Option::No};
    case LockScan::BootScript::Unreadable: // the status stays as it was
    case LockScan::BootScript::NoLines:
    case LockScan::BootScript::Line:
        break;
    }
    return {};
}

} // namespace qg
