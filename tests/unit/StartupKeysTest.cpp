/*
 * The strong lock's edits of CONFIG.SYS and MSDOS.SYS and their removal, the records that
 * removal puts back, the judgement of which DOS boots, and the keyboard check.
 */
#include "lockconfig/DosSystem.h"
#include "lockconfig/KeyboardCheck.h"
#include "lockconfig/StartupKeyEdits.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Action = qg::SystemFileRestore::Action;
const std::string Ours = "INSTALL=C:\\QG_DATA\\QG.EXE /I\r\n";

// MSDOS.SYS as Windows 95/98 write it: [Paths], [Options] and the comment lines that keep it
// over 1024 bytes.
std::string Padding() {
    std::string lines = ";\r\n;The following lines are required for compatibility with other "
                        "programs.\r\n;Do not remove them (MSDOS.SYS needs to be >1024 bytes).\r\n";
    for (char letter = 'a'; letter <= 's'; ++letter)
        lines += ";" + std::string(68, 'x') + letter + "\r\n";
    return lines;
}
std::string MsdosSys(const std::string& options) {
    return "[Paths]\r\nWinDir=C:\\WINDOWS\r\nWinBootDir=C:\\WINDOWS\r\nHostWinBootDrv=C\r\n\r\n"
           "[Options]\r\n" + options + Padding();
}

std::string Replaced(std::string text, const std::vector<std::pair<std::string, std::string>>& edits) {
    for (const auto& edit : edits) {
        const std::size_t at = text.find(edit.first);
        if (at == std::string::npos)
            return "<" + edit.first + " not found>";
        text.replace(at, edit.first.size(), edit.second);
    }
    return text;
}

} // namespace

TEST(StartupKeys, ConfigSysClosedAndPutBackByteForByte) {
    const struct {
        const char* name;
        const char* before; // nullptr: no CONFIG.SYS
        bool switchN;
        std::string after;
    } cases[] = {
        {"absent", nullptr, false, Ours},
        {"absent, /N", nullptr, true, "SWITCHES=/N\r\n" + Ours},
        {"empty", "", false, Ours},
        {"after the KEYB line", "DEVICE=C:\\DOS\\HIMEM.SYS\r\nINSTALL=C:\\DOS\\KEYB.COM GR,,C:\\DOS\\KEYBOARD.SYS\r\nINSTALL=C:\\DOS\\SHARE.EXE\r\n",
         false, "DEVICE=C:\\DOS\\HIMEM.SYS\r\nINSTALL=C:\\DOS\\KEYB.COM GR,,C:\\DOS\\KEYBOARD.SYS\r\n" + Ours + "INSTALL=C:\\DOS\\SHARE.EXE\r\n"},
        {"after the last KEYB line, any spelling", "install = keyb fr\r\nFILES=30\r\nInstallHigh=c:\\fdos\\bin\\keyb.exe fr\nBUFFERS=20",
         false, "install = keyb fr\r\nFILES=30\r\nInstallHigh=c:\\fdos\\bin\\keyb.exe fr\n" + Ours + "BUFFERS=20"},
        {"a program merely named like it", "INSTALL=C:\\KEYBOARD\\KEYBUFF.COM\r\n", false,
         "INSTALL=C:\\KEYBOARD\\KEYBUFF.COM\r\n" + Ours},
        {"/K merged", "SWITCHES=/K  \r\nFILES=30", true, "SWITCHES=/K /N\r\nFILES=30\r\n" + Ours},
        {"/N there already", "switches=/f/n\r\n", true, "switches=/f/n\r\n" + Ours},
        {"/N added", "FILES=30\r\n", true, "FILES=30\r\nSWITCHES=/N\r\n" + Ours},
        {"end-of-file mark", "FILES=30\r\n\x1a\x1a", false, "FILES=30\r\n" + Ours + "\x1a\x1a"},
        {"lone line ends, none at the end", "FILES=30\nBUFFERS=20", false,
         "FILES=30\nBUFFERS=20\r\n" + Ours},
        {"menu blocks", "[menu]\r\nmenuitem=A\r\n[A]\r\nFILES=30\r\n", false,
         "[menu]\r\nmenuitem=A\r\n[A]\r\nFILES=30\r\n[COMMON]\r\n" + Ours},
        {"menu blocks ending in a common one", "[A]\r\nFILES=30\r\n[common]\r\nBUFFERS=9\r\n", true,
         "[A]\r\nFILES=30\r\n[common]\r\nBUFFERS=9\r\nSWITCHES=/N\r\n" + Ours},
        {"our line in another case", "files=30\r\ninstall=c:\\qg_data\\qg.exe /i\r\n", true,
         "files=30\r\ninstall=c:\\qg_data\\qg.exe /i\r\n"},
    };
    for (const auto& c : cases) {
        const std::string before = c.before ? c.before : "";
        const qg::SystemFileEdit edit = qg::CloseKeysInConfigSys(before, c.switchN);
        EXPECT_EQ(edit.text, c.after) << c.name;
        EXPECT_TRUE(qg::HoldsInstallLine(edit.text)) << c.name;
        EXPECT_TRUE(qg::CloseKeysInConfigSys(edit.text, c.switchN).edits.empty()) << c.name;
        if (edit.edits.empty())
            continue;
        const qg::SystemFileRecord record{c.before != nullptr, 0x21, c.switchN, before};
        const qg::SystemFileRestore restore = qg::OpenKeysInConfigSys(true, edit.text, &record);
        EXPECT_TRUE(restore.exact) << c.name;
        EXPECT_EQ(restore.action, c.before ? Action::Write : Action::Delete) << c.name;
        if (c.before) {
            EXPECT_EQ(restore.text, before) << c.name;
        }
    }
}

TEST(StartupKeys, ConfigSysChangedByOthersLosesOnlyWhatTheLockAdded) {
    const std::string keyb = "INSTALL=C:\\DOS\\KEYB.COM GR\r\n";
    const struct {
        const char* name;
        const char* recorded; // nullptr: the lock created CONFIG.SYS; "<none>": no record
        bool switchN;
        std::string now;
        Action action;
        std::string after;
    } cases[] = {
        {"a line added after ours", "FILES=30\r\n", false, "FILES=30\r\n" + Ours + "BUFFERS=20\r\n",
         Action::Write, "FILES=30\r\nBUFFERS=20\r\n"},
        {"merged /N and another value changed", "SWITCHES=/K\r\nFILES=30\r\n", true,
         "SWITCHES=/K /N\r\nFILES=40\r\n" + Ours, Action::Write, "SWITCHES=/K\r\nFILES=40\r\n"},
        {"SWITCHES=/N added, a line before it", "FILES=30\r\n", true,
         "DOS=HIGH\r\nFILES=30\r\nSWITCHES=/N\r\n" + Ours, Action::Write, "DOS=HIGH\r\nFILES=30\r\n"},
        {"our line moved and lower-cased", keyb.c_str(), false,
         "install=c:\\qg_data\\qg.exe /i\r\n" + keyb, Action::Write, keyb},
        {"created, then a line added", nullptr, false, Ours + "FILES=30\r\n", Action::Write,
         "FILES=30\r\n"},
        {"created, our line alone in capitals", nullptr, true,
         "SWITCHES=/N\r\nINSTALL=C:\\QG_DATA\\QG.EXE /I\r\n\r\n", Action::Delete, ""},
        {"common block that others filled", "[A]\r\nFILES=30\r\n", false,
         "[A]\r\nFILES=30\r\n[COMMON]\r\n" + Ours + "BUFFERS=9\r\n", Action::Write,
         "[A]\r\nFILES=30\r\n[COMMON]\r\nBUFFERS=9\r\n"},
        {"common block left empty", "[A]\r\nFILES=30\r\n", false,
         "[A]\r\nFILES=40\r\n[COMMON]\r\n" + Ours, Action::Write, "[A]\r\nFILES=40\r\n"},
        {"no record, our line in any case twice", "<none>", false,
         "FILES=30\r\ninstall=C:\\qg_data\\QG.exe /I\r\n" + Ours, Action::Write, "FILES=30\r\n"},
        {"no record, no line", "<none>", false, "FILES=30\r\n", Action::Keep, ""},
        {"put back already", "SWITCHES=/K\r\n", true, "SWITCHES=/K\r\n", Action::Keep, ""},
    };
    for (const auto& c : cases) {
        const bool hasRecord = !c.recorded || std::string(c.recorded) != "<none>";
        const qg::SystemFileRecord record{c.recorded != nullptr, 0, c.switchN,
                                          c.recorded ? c.recorded : ""};
        const qg::SystemFileRestore restore =
            qg::OpenKeysInConfigSys(true, c.now, hasRecord ? &record : nullptr);
        EXPECT_EQ(restore.action, c.action) << c.name;
        EXPECT_FALSE(restore.exact) << c.name;
        EXPECT_EQ(restore.text, c.after) << c.name;
    }
    EXPECT_EQ(qg::OpenKeysInConfigSys(false, "", nullptr).action, Action::Keep);
}

TEST(StartupKeys, MsdosSysLayoutsClosedAndPutBack) {
    const std::string both = "[Options]\r\nBootKeys=0\r\nBootWarn=0\r\n";
    std::string binary("\xe9\x3d\x00\x00MSDOS SYS\x00\x1a\r\n[Options]\r\n", 28);
    binary += std::string(30000, '\x90');
    const struct {
        const char* name;
        std::string before;
        std::vector<std::pair<std::string, std::string>> edits; // none: left as it is
    } cases[] = {
        {"Windows 95", MsdosSys("BootGUI=1\r\nNetwork=1\r\n"), {{"[Options]\r\n", both}}},
        {"Windows 95 OSR2", MsdosSys("BootGUI=1\r\nNetwork=1\r\nAutoScan=1\r\nWinVer=4.00.1111\r\n"),
         {{"[Options]\r\n", both}}},
        {"Windows 98", MsdosSys("BootMulti=1\r\nBootGUI=1\r\nDoubleBuffer=1\r\nAutoScan=1\r\nWinVer=4.10.1998\r\n"),
         {{"[Options]\r\n", both}}},
        {"Windows 98 SE", MsdosSys("BootMulti=1\r\nBootGUI=1\r\nDoubleBuffer=1\r\nAutoScan=1\r\nWinVer=4.10.2222\r\n"),
         {{"[Options]\r\n", both}}},
        {"keys set by the owner", MsdosSys("BootGUI=1\r\nbootkeys = 1\r\nBootMenu=1\r\nBootWarn=0\r\n"),
         {{"bootkeys = 1", "BootKeys=0"}, {"BootMenu=1", "BootMenu=0"}}},
        {"keys closed already", MsdosSys("BootKeys=0\r\nBootWarn=0\r\n"), {}},
        {"BootKeys in [Paths] does not count",
         "[Paths]\r\nBootKeys=1\r\n[options]\r\nBootGUI=1\r\n" + Padding(),
         {{"[options]\r\n", "[options]\r\nBootKeys=0\r\nBootWarn=0\r\n"}}},
        {"the DOS kernel of MS-DOS 6 and earlier", binary, {}},
        {"settings text without [Options]", "[Paths]\r\nWinDir=C:\\WINDOWS\r\n", {}},
    };
    for (const auto& c : cases) {
        const qg::SystemFileEdit edit = qg::CloseKeysInMsdosSys(c.before);
        EXPECT_EQ(edit.text, Replaced(c.before, c.edits)) << c.name;
        EXPECT_EQ(edit.edits.empty(), c.edits.empty()) << c.name;
        if (edit.edits.empty())
            continue;
        EXPECT_GE(edit.text.size(), qg::MsdosSysMinimumSize) << c.name;
        const qg::SystemFileRecord record{true, 7, false, c.before};
        const qg::SystemFileRestore restore = qg::OpenKeysInMsdosSys(edit.text, record);
        EXPECT_TRUE(restore.exact) << c.name;
        EXPECT_EQ(restore.action, Action::Write) << c.name;
        EXPECT_EQ(restore.text, c.before) << c.name;
        // The owner changed another line meanwhile: that change stays, the lock's go.
        const std::string changed = Replaced(edit.text, {{"BootGUI=1", "BootGUI=0"}});
        if (changed[0] == '<')
            continue;
        const qg::SystemFileRestore undone = qg::OpenKeysInMsdosSys(changed, record);
        EXPECT_FALSE(undone.exact) << c.name;
        EXPECT_EQ(undone.text, Replaced(c.before, {{"BootGUI=1", "BootGUI=0"}})) << c.name;
    }
}

TEST(StartupKeys, ShortMsdosSysIsPaddedToTheSizeWindowsNeeds) {
    const std::string before = "[Options]\r\nBootGUI=1"; // 20 bytes, no final line end
    const qg::SystemFileEdit edit = qg::CloseKeysInMsdosSys(before);
    const std::string head = "[Options]\r\nBootKeys=0\r\nBootWarn=0\r\nBootGUI=1\r\n;xxxx";
    EXPECT_EQ(edit.text.substr(0, head.size()), head);
    EXPECT_GE(edit.text.size(), qg::MsdosSysMinimumSize);
    EXPECT_LT(edit.text.size(), qg::MsdosSysMinimumSize + 80);
    EXPECT_TRUE(qg::IsTextMsdosSys(edit.text));
    const qg::SystemFileRecord record{true, 7, false, before};
    EXPECT_EQ(qg::OpenKeysInMsdosSys(edit.text, record).text, before);
    // Changed by others: the padding and the keys go, the owner's line stays.
    EXPECT_EQ(qg::OpenKeysInMsdosSys(edit.text + "Network=1\r\n", record).text,
              "[Options]\r\nBootGUI=1\r\nNetwork=1\r\n");
}

TEST(StartupKeys, RecordsReadBackAsWritten) {
    const qg::SystemFileRecord records[] = {
        {true, 0x27, false, MsdosSys("BootGUI=1\r\n")},
        {false, 0, true, ""},
        {true, 0x80, true, std::string("a\0b\x1a", 4)},
    };
    for (const auto& record : records) {
        const auto read = qg::ParseRecord(qg::FormatRecord(record));
        ASSERT_TRUE(read.has_value());
        EXPECT_TRUE(*read == record) << qg::FormatRecord(record);
    }
    for (const char* damaged : {"", "QGR1 1 00000027 0\r", "QGR1 2 00000027 0\r\n",
                                "QGR1 1 0000002g 0\r\n", "QGR1 0 00000000 0\r\nbytes",
                                "QGR0 1 00000027 0\r\n"})
        EXPECT_FALSE(qg::ParseRecord(damaged).has_value()) << damaged;
}

TEST(StartupKeys, SwitchNOnlyWhereTheSystemTakesIt) {
    using qg::DosSystem;
    // What each system's start-up file holds: MS-DOS 4.0 knows SWITCHES= but not /N.
    const std::string msdos4 = std::string("SWITCHES\0Bad command or parameters - $", 39);
    const std::string msdos6 = std::string("\0Starting MS-DOS...\r\n$", 22);
    const struct {
        bool textMsdosSys, kernelSys;
        std::string ioSys;
        DosSystem system;
        bool switchN;
    } cases[] = {
        {true, false, "", DosSystem::Windows9x, false},
        {true, false, msdos6, DosSystem::Windows9x, false},
        {false, true, "", DosSystem::FreeDos, true},
        {false, false, msdos6, DosSystem::MsDos6, true},
        {false, false, msdos4, DosSystem::Other, false},
        {false, false, "", DosSystem::Other, false},
    };
    for (const auto& c : cases) {
        const DosSystem system = qg::JudgeDosSystem(c.textMsdosSys, c.kernelSys, c.ioSys);
        EXPECT_EQ(system, c.system) << c.textMsdosSys << c.kernelSys << c.ioSys.size();
        EXPECT_EQ(qg::TakesSwitchN(system), c.switchN) << int(system);
    }
}

TEST(StartupKeys, KeyboardCheckAgainstTheUsLayout) {
    const std::vector<qg::KeyRow> german = {
        {0x02, "1234567890\xdf\xb4", "!\"\xa7$%&/()=?`"},
        {0x10, "qwertzuiop\xfc+", "QWERTZUIOP\xdc*"},
        {0x1E, "asdfghjkl\xf6\xe4^", "ASDFGHJKL\xd6\xc4\xb0"},
        {0x2B, "#yxcvbnm,.-", "'YXCVBNM;:_"},
    };
    const std::vector<qg::KeyRow> french = {
        {0x02, "&\xe9\"'(-\xe8_\xe7\xe0)=", "1234567890\xb0+"},
        {0x10, "azertyuiop^$", "AZERTYUIOP\xa8\xa3"},
        {0x1E, "qsdfghjklm\xf9\xb2", "QSDFGHJKLM%"},
        {0x2B, "*wxcvbn,;:!", "\xb5WXCVBN?./\xa7"},
    };
    const qg::KeyLayout us = qg::UsKeyStroke;
    const qg::KeyLayout de = [&](char c) { return qg::FindKeyInRows(german, c); };
    const qg::KeyLayout fr = [&](char c) { return qg::FindKeyInRows(french, c); };
    const qg::KeyLayout none = [](char) { return std::optional<qg::KeyStroke>(); };
    const struct {
        const char* password;
        const char *us, *german, *french, *none;
    } cases[] = {
        {"Secret1", "", "", "1", "Secrt1"},
        {"Zebra9", "", "Z", "Za9", "Zebra9"},
        {"yes\"y'", "", "y\"'", "\"'", "yes\"'"},
        {"Mom2000", "", "", "Mm20", "Mom20"},
        {"qwQW", "", "", "qwQW", "qwQW"},
        {"JKL", "", "", "", "JKL"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qg::CharactersTypedDifferently(c.password, us), c.us) << c.password;
        EXPECT_EQ(qg::CharactersTypedDifferently(c.password, de), c.german) << c.password;
        EXPECT_EQ(qg::CharactersTypedDifferently(c.password, fr), c.french) << c.password;
        EXPECT_EQ(qg::CharactersTypedDifferently(c.password, none), c.none) << c.password;
    }
}
