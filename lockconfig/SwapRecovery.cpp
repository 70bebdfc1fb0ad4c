/*
 * Recovery of an interrupted boot-script swap (see SwapRecovery.h).
 */
#include "lockconfig/SwapRecovery.h"

#include "lockconfig/BootScript.h"

namespace qg {

ScratchText JudgeScratchText(bool present, const std::string& bytes) {
    if (!present)
        return ScratchText::Absent;
    const bool ended = bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0;
    return ended || bytes.find('\x1a') != std::string::npos ? ScratchText::Whole
                                                             : ScratchText::Partial;
}

bool IsSwapResult(const std::string& backup, const std::string& script) {
    if (script == WithBootScriptLine(backup))
        return true;
    const std::optional<std::string> without = WithoutBootScriptLine(backup);
    return without && script == *without;
}

RecoveryPlan PlanSwapRecovery(const SwapLeftovers& found) {
    RecoveryPlan plan;
    const bool scratch = found.scratch != ScratchText::Absent;
    if (found.script) {
        // The boot script is whole: the scratch file is a swap that had not begun.
        plan.deleteScratch = scratch;
        if (found.backup) {
            plan.deleteBackup = found.scriptIsSwapResult;
            plan.backupKept = !found.scriptIsSwapResult;
        }
    } else if (found.backup) {
        // The old text, whole, is preferred to a new text that never reached its place.
        plan.putBack = RecoveryPlan::PutBack::Backup;
        plan.deleteScratch = scratch;
    } else if (found.scratch == ScratchText::Whole) {
        plan.putBack = RecoveryPlan::PutBack::Scratch; // the only text left
    } else {
        plan.deleteScratch = scratch; // cut while written, with no boot script before
    }
    return plan;
}

} // namespace qg
