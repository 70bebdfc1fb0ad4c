/*
 * Boot-script text handling: the status scan, adding the line and taking it out.
 */
#include "lockconfig/BootScript.h"

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
