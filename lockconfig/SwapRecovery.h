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

// Whose the scratch file is. Only the swap's own may be deleted or made the boot script: an
// earlier version copied c:\autotemp over the boot script, so a crash there left the only
// whole copy of another text in it.
enum class ScratchOwner {
    Own,        // all or the start of what a swap makes of the base text, or that text itself
    LongerCopy, // whole, and the boot script is a cut-short start of it: a copy cut short
    Foreign,    // anything else, or unreadable
};

// `base` is the text a swap would have started from: the backup's when there is one, else the
// boot script's, else none (then only the line alone can be the swap's). `script` is the boot
// script, or null when there is none.
ScratchOwner JudgeScratchOwner(const std::string* base, const std::string* script,
                               const std::string& scratch, ScratchText judged);

struct SwapLeftovers {
    bool script = false; // the boot script is there
    bool backup = false; // the old text, moved aside
    ScratchText scratch = ScratchText::Absent;
    bool scriptIsSwapResult = false; // the boot script is the backup's text after a swap
    ScratchOwner scratchOwner = ScratchOwner::Own;
};

struct RecoveryPlan {
    // ScratchOverScript: the boot script, a cut-short start of the scratch text, is replaced.
    enum class PutBack { Nothing, Backup, Scratch, ScratchOverScript };
    PutBack putBack = PutBack::Nothing; // moved into the boot script's place
    bool deleteBackup = false;
    bool deleteScratch = false;
    // The backup is not the text the boot script came from: it may hold lines the boot script
    // lacks, so it stays, and the boot script is not changed until the owner has chosen.
    bool backupKept = false;
    // The scratch file is not the swap's: it stays, and the boot script is not changed (the
    // swap would need its name) until the owner has looked at it.
    bool scratchKept = false;

    bool operator==(const RecoveryPlan& other) const {
        return putBack == other.putBack && deleteBackup == other.deleteBackup &&
               deleteScratch == other.deleteScratch && backupKept == other.backupKept &&
               scratchKept == other.scratchKept;
    }
};

RecoveryPlan PlanSwapRecovery(const SwapLeftovers& found);

} // namespace qg
