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

namespace {

bool StartsWith(const std::string& text, const std::string& start) {
    return text.size() >= start.size() && text.compare(0, start.size(), start) == 0;
}

} // namespace

ScratchOwner JudgeScratchOwner(const std::string* base, const std::string* script,
                               const std::string& scratch, ScratchText judged) {
    const std::string from = base ? *base : std::string();
    if (StartsWith(WithBootScriptLine(from), scratch))
        return ScratchOwner::Own;
    if (base) {
        const std::optional<std::string> without = WithoutBootScriptLine(from);
        if (scratch == from || (without && StartsWith(*without, scratch)))
            return ScratchOwner::Own;
    }
    if (script && judged == ScratchText::Whole && scratch.size() > script->size() &&
        StartsWith(scratch, *script))
        return ScratchOwner::LongerCopy;
    return ScratchOwner::Foreign;
}

RecoveryPlan PlanSwapRecovery(const SwapLeftovers& found) {
    RecoveryPlan plan;
    const bool scratch = found.scratch != ScratchText::Absent;
    if (scratch && found.scratchOwner != ScratchOwner::Own) {
        // Never deleted or run. A copy cut short is finished, unless a backup shows a swap.
        if (found.scratchOwner == ScratchOwner::LongerCopy && found.script && !found.backup) {
            plan.putBack = RecoveryPlan::PutBack::ScratchOverScript;
            return plan;
        }
        plan.scratchKept = true;
        SwapLeftovers rest = found;
        rest.scratch = ScratchText::Absent;
        RecoveryPlan backupPlan = PlanSwapRecovery(rest);
        backupPlan.scratchKept = true;
        return backupPlan;
    }
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
