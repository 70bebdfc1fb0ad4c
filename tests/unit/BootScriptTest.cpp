/*
 * Boot-script text handling: the status scan and the status it gives, adding the line and
 * taking it out; which Windows runs it; and what recovery makes of what a cut-short swap left.
 */
#include "lockconfig/BootScript.h"
#include "lockconfig/LockStatus.h"
#include "lockconfig/SwapRecovery.h"

#include <gtest/gtest.h>

using qg::BootScriptStatus;

TEST(BootScript, StatusScanTable) {
    struct Case {
        const char* text;
        BootScriptStatus status;
    };
    const Case cases[] = {
        {"", BootScriptStatus::NoLines},
        {"\r\n", BootScriptStatus::NotActive},
        {"c:\\Qg_Data\\qg.exe\r\n", BootScriptStatus::Active},
        {"C:\\QG_DATA\\QG.EXE", BootScriptStatus::Active},
        {" c:\\Qg_Data\\qg.exe\r\n", BootScriptStatus::NotActive},  // leading blank
        {"c:\\Qg_Data\\qg.exe \r\n", BootScriptStatus::NotActive},  // trailing blank
        {"c:\\Qg_Data\\qg.exe /x\r\n", BootScriptStatus::NotActive}, // arguments
        {"@echo off\r\nc:\\qg_data\\qg.exe\r\nwin\r\n", BootScriptStatus::Active},
        {"@echo off\nc:\\qg_data\\qg.exe\nwin\n", BootScriptStatus::Active},     // lone LF
        {"@echo off\rc:\\qg_data\\qg.exe\rwin\r", BootScriptStatus::Active},     // lone CR
        {"@echo off\r\n\x1a" "c:\\qg_data\\qg.exe\r\n", BootScriptStatus::NotActive}, // after EOF
        {"\x1a", BootScriptStatus::NoLines},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qg::ScanBootScriptStatus(c.text), c.status) << c.text;
}

TEST(BootScript, StatusFromWhatTheScanFound) {
    using Script = qg::LockScan::BootScript;
    using Status = qg::LockStatusShown::Status;
    using Option = qg::LockStatusShown::Option;
    struct Case {
        const char* name;
        Script script;
        bool configLine, folder, program, password;
        Status status;
        Option option;
    };
    const Case cases[] = {
        {"nothing", Script::Absent, false, false, false, false, Status::NotActive, Option::Unchanged},
        {"empty boot script", Script::NoLines, false, false, false, false, Status::Unchanged,
         Option::Unchanged},
        {"unreadable boot script", Script::Unreadable, false, true, true, true, Status::Unchanged,
         Option::Unchanged},
        {"other lines", Script::OtherLines, false, false, false, false, Status::NotActive, Option::No},
        {"other lines, a folder left", Script::OtherLines, false, true, true, true,
         Status::NotActive, Option::No},
        {"line, lock whole", Script::Line, false, true, true, true, Status::Active, Option::Yes},
        {"line without qg.exe", Script::Line, false, true, false, true, Status::Damaged, Option::Yes},
        {"line without a password", Script::Line, false, true, true, false, Status::Damaged,
         Option::Yes},
        {"line without the folder", Script::Line, false, false, false, false, Status::Damaged,
         Option::Yes},
        {"strong lock, whole", Script::Line, true, true, true, true, Status::Active, Option::Yes},
        {"strong lock without qg.exe", Script::Line, true, true, false, true, Status::Damaged,
         Option::Yes},
        {"CONFIG.SYS line alone, lock whole", Script::OtherLines, true, true, true, true,
         Status::Active, Option::Yes},
        {"CONFIG.SYS line alone without qg.exe", Script::Absent, true, true, false, true,
         Status::Damaged, Option::Yes},
        {"CONFIG.SYS line, boot script unreadable", Script::Unreadable, true, true, true, true,
         Status::Active, Option::Yes},
    };
    for (const Case& c : cases) {
        const qg::LockStatusShown shown = qg::JudgeLockStatus(
            {c.script, c.configLine, c.folder, c.program, c.password, true});
        EXPECT_TRUE(shown == (qg::LockStatusShown{c.status, c.option})) << c.name;
    }
    // FreeDOS starting FDAUTO.BAT runs no boot-script line: only CONFIG.SYS's line asks there.
    EXPECT_TRUE(qg::JudgeLockStatus({Script::Line, false, true, true, true, false}) ==
                (qg::LockStatusShown{Status::NotRun, Option::Yes}));
    EXPECT_TRUE(qg::JudgeLockStatus({Script::Line, true, true, true, true, false}) ==
                (qg::LockStatusShown{Status::Active, Option::Yes}));
}

TEST(BootScript, AddLineTable) {
    struct Case {
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"", "c:\\Qg_Data\\qg.exe\r\n"},
        {"path c:\\dos\r\n", "path c:\\dos\r\nc:\\Qg_Data\\qg.exe\r\n"},
        {"path c:\\dos", "path c:\\dos\r\nc:\\Qg_Data\\qg.exe\r\n"},           // no final CR LF
        {"path c:\\dos\r\n\x1a", "path c:\\dos\r\nc:\\Qg_Data\\qg.exe\r\n\x1a"}, // before EOF mark
        {"path\x1a\x1a", "path\r\nc:\\Qg_Data\\qg.exe\r\n\x1a\x1a"},
        {"C:\\QG_DATA\\QG.EXE\r\n", "C:\\QG_DATA\\QG.EXE\r\nc:\\Qg_Data\\qg.exe\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qg::WithBootScriptLine(c.before), c.after) << c.before;
}

TEST(BootScript, ExactLineOnlyLetterForLetter) {
    EXPECT_TRUE(qg::HoldsExactBootScriptLine("a\r\nc:\\Qg_Data\\qg.exe\r\nb\r\n"));
    EXPECT_TRUE(qg::HoldsExactBootScriptLine("c:\\Qg_Data\\qg.exe"));
    EXPECT_FALSE(qg::HoldsExactBootScriptLine("c:\\qg_data\\qg.exe\r\n"));
    EXPECT_FALSE(qg::HoldsExactBootScriptLine(" c:\\Qg_Data\\qg.exe\r\n"));
    EXPECT_FALSE(qg::HoldsExactBootScriptLine(""));
}

TEST(BootScript, RemoveLineTable) {
    struct Case {
        const char* before;
        const char* after; // nullptr: left as it is
    };
    const Case cases[] = {
        {"", nullptr},
        {"path c:\\dos\nwin", nullptr}, // no line: byte for byte, line ends untouched
        {"c:\\Qg_Data\\qg.exe\r\n", "\r\n"},
        {"a\r\nC:\\QG_DATA\\QG.EXE\r\nb", "a\r\n\r\nb\r\n"},
        {"c:\\qg_data\\qg.exe\r\nx\r\nc:\\Qg_Data\\qg.exe\r\n", "\r\nx\r\n\r\n"},
        {" c:\\Qg_Data\\qg.exe \r\nc:\\Qg_Data\\qg.exe\r\n", " c:\\Qg_Data\\qg.exe \r\n\r\n"},
        {"a\nc:\\Qg_Data\\qg.exe\rb\r\n", "a\r\n\r\nb\r\n"},
        {"a\r\nc:\\Qg_Data\\qg.exe\r\n\x1a", "a\r\n\r\n\x1a"},
    };
    for (const Case& c : cases) {
        const auto result = qg::WithoutBootScriptLine(c.before);
        if (c.after == nullptr)
            EXPECT_FALSE(result.has_value()) << c.before;
        else
            EXPECT_EQ(result.value_or("<none>"), c.after) << c.before;
    }
}

TEST(BootScript, InstallThenRemoveAddsOneEmptyLastLine) {
    const std::string original = "@echo off\r\npath c:\\dos\r\n";
    const auto removed = qg::WithoutBootScriptLine(qg::WithBootScriptLine(original));
    ASSERT_TRUE(removed.has_value());
    EXPECT_EQ(*removed, original + "\r\n");
}

TEST(BootScript, OnlyWindows95And98RunTheBootScript) {
    // What GetVersion returns: major, minor, then the top bit set outside the NT family.
    struct Case {
        const char* system;
        std::uint32_t version;
        bool runs;
    };
    const Case cases[] = {
        {"Windows 95", 0xC3B60004u, true},  {"Windows 98", 0xC1F80A04u, true},
        {"Windows 98 SE", 0xC8AE0A04u, true}, {"Windows ME", 0xC0005A04u, false},
        {"Windows NT 4", 0x05650004u, false}, {"Windows 2000", 0x08930005u, false},
        {"Windows XP", 0x0A280105u, false},   {"Windows 10", 0x4A61000Au, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qg::WindowsRunsBootScript(c.version), c.runs) << c.system;
}

TEST(BootScript, RecoveryNeverDeletesTheLastWholeCopy) {
    using qg::RecoveryPlan;
    using qg::ScratchText;
    using PutBack = RecoveryPlan::PutBack;
    constexpr auto Absent = ScratchText::Absent, Partial = ScratchText::Partial,
                   Whole = ScratchText::Whole;
    struct Case {
        bool script, backup;
        ScratchText scratch;
        bool swapResult; // the boot script is the backup's text after a swap
        RecoveryPlan plan;  // put back, delete backup, delete scratch, backup kept, scratch kept
        qg::ScratchOwner owner = qg::ScratchOwner::Own;
    };
    constexpr auto Longer = qg::ScratchOwner::LongerCopy, Foreign = qg::ScratchOwner::Foreign;
    const Case cases[] = {
        {false, false, Absent, false, {PutBack::Nothing, false, false, false}},
        {false, false, Partial, false, {PutBack::Nothing, false, true, false}},
        {false, false, Whole, false, {PutBack::Scratch, false, false, false}},
        {false, true, Absent, false, {PutBack::Backup, false, false, false}},
        {false, true, Partial, false, {PutBack::Backup, false, true, false}},
        {false, true, Whole, false, {PutBack::Backup, false, true, false}},
        {true, false, Absent, false, {PutBack::Nothing, false, false, false}},
        {true, false, Partial, false, {PutBack::Nothing, false, true, false}},
        {true, false, Whole, false, {PutBack::Nothing, false, true, false}},
        {true, true, Absent, true, {PutBack::Nothing, true, false, false}},
        {true, true, Whole, true, {PutBack::Nothing, true, true, false}},
        {true, true, Absent, false, {PutBack::Nothing, false, false, true}},
        {true, true, Partial, false, {PutBack::Nothing, false, true, true}},
        // A scratch file that is not the swap's is never deleted or made the boot script; a
        // copy cut short is finished.
        {true, false, Whole, false, {PutBack::ScratchOverScript, false, false, false, false}, Longer},
        {true, false, Whole, false, {PutBack::Nothing, false, false, false, true}, Foreign},
        {false, false, Whole, false, {PutBack::Nothing, false, false, false, true}, Foreign},
        {false, false, Partial, false, {PutBack::Nothing, false, false, false, true}, Foreign},
        {false, true, Whole, false, {PutBack::Backup, false, false, false, true}, Foreign},
        {true, true, Whole, true, {PutBack::Nothing, true, false, false, true}, Longer},
    };
    for (const Case& c : cases) {
        const RecoveryPlan plan =
            qg::PlanSwapRecovery({c.script, c.backup, c.scratch, c.swapResult, c.owner});
        EXPECT_TRUE(plan == c.plan) << "script " << c.script << ", backup " << c.backup
                                    << ", scratch " << int(c.scratch) << ", swap result "
                                    << c.swapResult << ", owner " << int(c.owner);
    }
}

TEST(BootScript, ScratchTextAndSwapResultsAsTheSwapWritesThem) {
    const struct {
        const char* bytes;
        qg::ScratchText judged;
    } scratches[] = {
        {"", qg::ScratchText::Partial},
        {"@echo off\r\nc:\\Qg_Da", qg::ScratchText::Partial},
        {"@echo off\r", qg::ScratchText::Partial},
        {"@echo off\r\nc:\\Qg_Data\\qg.exe\r\n", qg::ScratchText::Whole},
        {"@echo off\r\n\x1a junk", qg::ScratchText::Whole},
    };
    for (const auto& c : scratches)
        EXPECT_EQ(qg::JudgeScratchText(true, c.bytes), c.judged) << c.bytes;
    EXPECT_EQ(qg::JudgeScratchText(false, ""), qg::ScratchText::Absent);

    const std::string old = "@echo off\r\nwin";
    const struct {
        std::string backup, script;
        bool result;
    } swaps[] = {
        {old, qg::WithBootScriptLine(old), true},
        {qg::WithBootScriptLine(old), "@echo off\r\nwin\r\n\r\n", true},
        {old, old, false},                   // not a swap's work
        {old, "c:\\Qg_Data\\qg.exe\r\n", false}, // the line alone, the old lines lost
    };
    for (const auto& c : swaps)
        EXPECT_EQ(qg::IsSwapResult(c.backup, c.script), c.result) << c.script;

    // Whose a scratch file is, beside a boot script (its text is also the swap's base) or none.
    const std::string on = qg::WithBootScriptLine(old);
    const struct {
        const char* script; // nullptr: none
        std::string scratch;
        qg::ScratchOwner owner;
    } scratchOwners[] = {
        {"@echo off\r\nwin", on, qg::ScratchOwner::Own},
        {"@echo off\r\nwin", on.substr(0, 14), qg::ScratchOwner::Own},
        {on.c_str(), "@echo off\r\nwin\r\n\r\n", qg::ScratchOwner::Own},
        {"@echo off\r\nwin", old, qg::ScratchOwner::Own},
        {"@echo off\r\n", "@echo off\r\nwin\r\n", qg::ScratchOwner::LongerCopy},
        {"@echo off\r\n", "@echo off\r\nwi", qg::ScratchOwner::Foreign},
        {"@echo off\r\nwin", "path c:\\dos\r\n", qg::ScratchOwner::Foreign},
        {nullptr, "c:\\Qg_Data\\qg.exe\r\n", qg::ScratchOwner::Own},
        {nullptr, "@echo off\r\n", qg::ScratchOwner::Foreign},
    };
    for (const auto& c : scratchOwners) {
        const std::string script = c.script ? c.script : "";
        EXPECT_EQ(qg::JudgeScratchOwner(c.script ? &script : nullptr, c.script ? &script : nullptr,
                                        c.scratch, qg::JudgeScratchText(true, c.scratch)),
                  c.owner)
            << (c.script ? c.script : "no boot script") << " / " << c.scratch;
    }
}
