/*
 * What to do with what an interrupted boot-script swap left on drive C:, decided from what is
 * there alone; lockconfig/SafeFiles.cpp reads the disk and carries the plan out. The swap
 * writes the new text whole to the scratch file and flushes it, moves the boot script aside to
 * the backup, moves the scratch file into its place, flushes that, and deletes the backup.
 * After a power cut Windows 95/98 may have kept a later directory change and lost an earlier
 * one, so any mix of the three can be found. The rule: never delete the last whole copy.
 */
#pragma once

#include <string>

namespace qg {

enum class ScratchText { Absent, Partial, Whole };

// The swap always ends the scratch text with a line end, or carries the end-of-file mark over
// from the old text; anything else was cut short while it was written.
ScratchText JudgeScratchText(bool present, const std::string& bytes);

// Whether `script` is what a swap makes of `backup`: the line added or taken out.
bool IsSwapResult(const std::string& backup, const std::string& script);

struct SwapLeftovers {
    bool script = false; // the boot script is there
    bool backup = false; // the old text, moved aside
    ScratchText scratch = ScratchText::Absent;
    bool scriptIsSwapResult = false; // the boot script is the backup's text after a swap
};

struct RecoveryPlan {
    enum class PutBack { Nothing, Backup, Scratch };
    PutBack putBack = PutBack::Nothing; // moved into the boot script's place
    bool deleteBackup = false;
    bool deleteScratch = false;
    // The backup is not the text the boot script came from: it may hold lines the boot script
    // lacks, so it stays, and the boot script is not changed until the owner has chosen.
    bool backupKept = false;

    bool operator==(const RecoveryPlan& other) const {
        return putBack == other.putBack && deleteBackup == other.deleteBackup &&
               deleteScratch == other.deleteScratch && backupKept == other.backupKept;
    }
};

RecoveryPlan PlanSwapRecovery(const SwapLeftovers& found);

} // namespace qg
