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
        {"our line in another case, /N still added", "files=30\r\ninstall=c:\\qg_data\\qg.exe /i\r\n", true,
         "files=30\r\nSWITCHES=/N\r\ninstall=c:\\qg_data\\qg.exe /i\r\n"},
        {"our line there, no /N asked", "FILES=30\r\nINSTALL=C:\\QG_DATA\\QG.EXE /I\r\n", false, "FILES=30\r\n" + Ours},
        {"our line there, SWITCHES without /N", "SWITCHES=/F\r\nINSTALL=C:\\QG_DATA\\QG.EXE /I\r\n", true,
         "SWITCHES=/F /N\r\n" + Ours},
        {"KEYB last, without a line end", "FILES=30\r\nINSTALL=C:\\DOS\\KEYB.COM GR,,C:\\DOS\\KEYBOARD.SYS",
         false, "FILES=30\r\nINSTALL=C:\\DOS\\KEYB.COM GR,,C:\\DOS\\KEYBOARD.SYS\r\n" + Ours},
        {"KEYB last, without a line end, /N added", "INSTALL=C:\\DOS\\KEYB.COM GR\x1a", true,
         "INSTALL=C:\\DOS\\KEYB.COM GR\r\nSWITCHES=/N\r\n" + Ours + "\x1a"},
        {"KEYB in one menu item's block", "[MENU]\r\nmenuitem=DE\r\nmenuitem=US\r\nmenudefault=US\r\n[DE]\r\nINSTALL=C:\\DOS\\KEYB.COM GR\r\n[US]\r\nFILES=30\r\n",
         true, "[MENU]\r\nmenuitem=DE\r\nmenuitem=US\r\nmenudefault=US\r\n[DE]\r\nINSTALL=C:\\DOS\\KEYB.COM GR\r\n[US]\r\nFILES=30\r\n[COMMON]\r\nSWITCHES=/N\r\n" + Ours},
        {"KEYB in an item block, a common block after it", "[MENU]\r\nmenuitem=DE\r\n[DE]\r\nINSTALL=KEYB GR\r\n[COMMON]\r\nFILES=30\r\n",
         false, "[MENU]\r\nmenuitem=DE\r\n[DE]\r\nINSTALL=KEYB GR\r\n[COMMON]\r\nFILES=30\r\n" + Ours},
        {"KEYB in a common block before the items", "[MENU]\r\nmenuitem=A\r\n[COMMON]\r\nINSTALL=KEYB GR\r\n[A]\r\nFILES=30\r\n",
         false, "[MENU]\r\nmenuitem=A\r\n[COMMON]\r\nINSTALL=KEYB GR\r\n" + Ours + "[A]\r\nFILES=30\r\n"},
        {"KEYB above the menu, which every item runs", "INSTALL=KEYB GR\r\n[MENU]\r\nmenuitem=A\r\n[A]\r\nFILES=30\r\n",
         false, "INSTALL=KEYB GR\r\n" + Ours + "[MENU]\r\nmenuitem=A\r\n[A]\r\nFILES=30\r\n"},
        {"SWITCHES in one item only", "[MENU]\r\nmenuitem=A\r\nmenuitem=B\r\n[A]\r\nSWITCHES=/F\r\n[B]\r\nFILES=30\r\n",
         true, "[MENU]\r\nmenuitem=A\r\nmenuitem=B\r\n[A]\r\nSWITCHES=/F /N\r\n[B]\r\nFILES=30\r\n[COMMON]\r\nSWITCHES=/N\r\n" + Ours},
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
        {"settings text without [Options]", "[Paths]\r\nWinDir=C:\\WINDOWS\r\n" + Padding(),
         {{std::string(68, 'x') + "s\r\n", std::string(68, 'x') + "s\r\n" + both}}},
        {"Safe mode at every start", MsdosSys("BootGUI=1\r\nBootFailSafe=1\r\nbootsafe=1\r\n"),
         {{"[Options]\r\n", both}, {"BootFailSafe=1", "BootFailSafe=0"}, {"bootsafe=1", "BootSafe=0"}}},
        {"an empty file", "", {}},
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

TEST(StartupKeys, CompressionIniGetsSwitchN) {
    const struct {
        const char* before;
        const char* after; // nullptr: left as it is
    } cases[] = {
        {"MaxRemovableDrives=2\r\nFirstDrive=E\r\nActivateDrive=H,C0", "MaxRemovableDrives=2\r\nFirstDrive=E\r\nActivateDrive=H,C0\r\nSwitches=/N\r\n"},
        {"Switches=/F\r\nActivateDrive=H,C0\r\n", "Switches=/F /N\r\nActivateDrive=H,C0\r\n"},
        {"SWITCHES=/N\r\n", nullptr},
    };
    for (const auto& c : cases) {
        const qg::SystemFileEdit edit = qg::CloseKeysInCompressionIni(c.before);
        EXPECT_EQ(edit.text, c.after ? c.after : c.before) << c.before;
        EXPECT_EQ(edit.edits.empty(), c.after == nullptr) << c.before;
        const qg::SystemFileRecord record{true, 0x21, false, c.before};
        EXPECT_EQ(qg::OpenKeysInCompressionIni(edit.text, record).text, c.after ? c.before : "")
            << c.before;
    }
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

TEST(StartupKeys, JudgedFromTheFilesOnTheDrives) {
    using qg::DosSystem;
    using Way = qg::OpenWay;
    // What each system's start-up file holds: MS-DOS 4.0 knows SWITCHES= but not /N.
    const std::string msdos4 = std::string("SWITCHES\0Bad command or parameters - $", 39);
    const std::string msdos6 = std::string("\0Starting MS-DOS...\r\n$", 22);
    qg::RootFiles win95;
    win95.ioSys = win95.msdosSys = true;
    win95.msdosSysBytes = MsdosSys("BootGUI=1\r\n");
    qg::RootFiles previousDos = win95;
    previousDos.msdosSysBytes = MsdosSys("BootMulti=1\r\nBootWin=0\r\n");
    qg::RootFiles ms6;
    ms6.ioSys = ms6.msdosSys = true;
    ms6.ioSysBytes = msdos6;
    ms6.msdosSysBytes = std::string("\xe9\x3d\x00", 3);
    qg::RootFiles ms6Host = ms6;
    ms6Host.compressionDriver = ms6Host.compressedVolume = true;
    ms6Host.compressionIniName = "DBLSPACE.INI";
    qg::RootFiles ms4;
    ms4.ioSys = ms4.msdosSys = true;
    ms4.ioSysBytes = msdos4;
    qg::RootFiles freedos;
    freedos.kernelSys = true;
    qg::RootFiles freedos13 = freedos;
    freedos13.fdconfigSys = freedos13.fdautoBat = true;
    qg::RootFiles pcdos;
    pcdos.ibmbio = true;
    pcdos.ibmbioBytes = "IBM PC DOS";
    qg::RootFiles drdos = pcdos;
    drdos.ibmbioBytes = "Caldera DR-DOS";
    drdos.dconfigSys = true;
    qg::RootFiles compressedWin95; // the compressed C: keeps a copy naming its host
    compressedWin95.msdosSys = true;
    compressedWin95.msdosSysBytes = Replaced(MsdosSys("BootGUI=1\r\n"), {{"HostWinBootDrv=C", "HostWinBootDrv=h"}});
    const qg::RootFiles nothing;
    const struct {
        const char* name;
        qg::RootFiles c;
        char host;
        qg::RootFiles hostFiles;
        DosSystem system;
        char systemDrive;
        const char* configFile;
        bool switchN, msdosSys, ini, bootScriptRuns;
        std::vector<Way> open;
    } cases[] = {
        {"Windows 95", win95, 0, nothing, DosSystem::Windows9x, 'C', "CONFIG.SYS", false, true, false, true, {}},
        {"Windows 98 started as the earlier DOS", previousDos, 0, nothing, DosSystem::Windows9x, 'C', "CONFIG.SYS", false, true, false, true, {Way::PreviousDos}},
        {"MS-DOS 6", ms6, 0, nothing, DosSystem::MsDos6, 'C', "CONFIG.SYS", true, false, false, true, {}},
        {"MS-DOS 6.22 on a DoubleSpace C:", nothing, 'H', ms6Host, DosSystem::MsDos6, 'H', "CONFIG.SYS", true, false, true, true, {}},
        {"Windows 95 on a DriveSpace C:, host found", compressedWin95, 'H', win95, DosSystem::Windows9x, 'H', "CONFIG.SYS", false, true, false, true, {}},
        {"Windows 95 on a DriveSpace C:, host not found", compressedWin95, 0, nothing, DosSystem::Windows9x, 0, "CONFIG.SYS", false, false, false, true, {Way::HostNotFound}},
        {"MS-DOS 4.0", ms4, 0, nothing, DosSystem::Other, 'C', "CONFIG.SYS", false, false, false, true, {}},
        {"FreeDOS 1.0", freedos, 0, nothing, DosSystem::FreeDos, 'C', "CONFIG.SYS", true, false, false, true, {}},
        {"FreeDOS 1.3 with FDCONFIG.SYS and FDAUTO.BAT", freedos13, 0, nothing, DosSystem::FreeDos, 'C', "FDCONFIG.SYS", true, false, false, false, {}},
        {"PC DOS", pcdos, 0, nothing, DosSystem::PcDos, 'C', "CONFIG.SYS", false, false, false, true, {Way::OwnStartupKeys}},
        {"DR-DOS with DCONFIG.SYS", drdos, 0, nothing, DosSystem::DrDos, 'C', "DCONFIG.SYS", false, false, false, true, {Way::OwnStartupKeys}},
        {"nothing known on C:", nothing, 0, nothing, DosSystem::Other, 'C', "CONFIG.SYS", false, false, false, true, {Way::UnknownDos}},
    };
    for (const auto& c : cases) {
        const qg::StartupJudgement judged = qg::JudgeStartup(c.c, c.host, c.hostFiles);
        EXPECT_EQ(judged.system, c.system) << c.name;
        EXPECT_EQ(judged.systemDrive, c.systemDrive) << c.name;
        EXPECT_EQ(judged.compressed, c.systemDrive != 'C') << c.name;
        EXPECT_EQ(judged.configFile, c.configFile) << c.name;
        EXPECT_EQ(judged.switchN, c.switchN) << c.name;
        EXPECT_EQ(judged.msdosSys, c.msdosSys) << c.name;
        EXPECT_EQ(judged.compressionIni, c.ini ? "DBLSPACE.INI" : "") << c.name;
        EXPECT_EQ(judged.bootScriptRuns, c.bootScriptRuns) << c.name;
        EXPECT_EQ(judged.openWays, c.open) << c.name;
    }
    EXPECT_EQ(qg::HostDriveNamed(compressedWin95.msdosSysBytes), 'H');
    EXPECT_EQ(qg::HostDriveNamed(win95.msdosSysBytes), 0);
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

TEST(StartupKeys, KeyboardAtOurLineIsUsUnlessEveryStartLoadedKeybBefore) {
    const struct {
        const char* name;
        std::string configSys;
        bool keyb;
    } cases[] = {
        {"no KEYB", "FILES=30\r\n" + Ours, false},
        {"KEYB before", "INSTALL=C:\\DOS\\KEYB.COM GR\r\n" + Ours, true},
        {"KEYB after", Ours + "INSTALL=C:\\DOS\\KEYB.COM GR\r\n", false},
        {"KEYB in one item of two", "[MENU]\r\nMENUITEM=DE,German\r\nMENUITEM=US\r\n[DE]\r\nINSTALL=KEYB GR\r\n[US]\r\n[COMMON]\r\n" + Ours, false},
        {"KEYB in both items", "[MENU]\r\nMENUITEM=DE,German\r\nMENUITEM=CH\r\n[de]\r\nINSTALL=KEYB GR\r\n[CH]\r\nINSTALL=KEYB SG\r\n[COMMON]\r\n" + Ours, true},
        {"FreeDOS KEYB for one choice", "1?INSTALL=C:\\FDOS\\BIN\\KEYB.EXE GR\r\n" + Ours, false},
        {"no line of ours: by the end", "INSTALL=KEYB GR\r\n", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qg::KeybRunsBeforeInstallLine(c.configSys), c.keyb) << c.name;
    EXPECT_TRUE(qg::KeybRunsInConfigSys(Ours + "INSTALL=C:\\DOS\\KEYB.COM GR\r\n"));
    const struct {
        const char* autoexecBat;
        bool keyb;
    } scripts[] = {
        {"@ECHO OFF\r\nKEYB GR,,C:\\DOS\\KEYBOARD.SYS\r\nc:\\Qg_Data\\qg.exe\r\n", true},
        {"LH /L:1 C:\\DOS\\KEYB.COM GR\r\n", true},
        {"@c:\\dos\\keyb gr", true},
        {"c:\\Qg_Data\\qg.exe\r\nKEYB GR\r\n", false},
        {"IF EXIST C:\\DOS\\KEYB.COM KEYB GR\r\n", false},
        {"C:\\TOOLS\\KEYBUFF.COM\r\n", false},
        {"", false},
    };
    for (const auto& c : scripts)
        EXPECT_EQ(qg::KeybRunsBeforeBootScriptLine(c.autoexecBat), c.keyb) << c.autoexecBat;
}
