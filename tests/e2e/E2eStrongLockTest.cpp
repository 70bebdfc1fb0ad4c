/*
 * End-to-end tests of the strong lock under Windows 98 as Wine reports it: the question after
 * the password, what Yes and No write to CONFIG.SYS and MSDOS.SYS on drives laid out as
 * Windows 98, FreeDOS and the MS-DOS 4.0 test drive boot them, a change of password with the
 * keys closed, and the removal that puts every file back byte for byte with its attributes.
 */
#include "tests/e2e/E2eCommon.h"

#include "lockconfig/FileSwap.h"
#include "lockconfig/StartupKeySteps.h"

using namespace e2e;

class E2eStrong : public E2e {};

namespace {

const std::string Ours = std::string(QG_INSTALL_LINE) + "\r\n";
constexpr DWORD HiddenSystemReadOnly =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;

// A file as found: absent, or its bytes and its hidden, system and read-only marks.
struct Found {
    bool present = false;
    std::string bytes;
    DWORD marks = 0;
    bool operator==(const Found& other) const {
        return present == other.present && bytes == other.bytes && marks == other.marks;
    }
};

Found Look(const char* path) {
    Found found;
    found.bytes = ReadFileBytes(path, &found.present);
    if (found.present)
        found.marks = ::GetFileAttributesA(path) & HiddenSystemReadOnly;
    return found;
}

void Put(const char* path, const Found& file) {
    if (!file.present)
        return;
    WriteFileBytes(path, file.bytes);
    ::SetFileAttributesA(path, file.marks ? file.marks : FILE_ATTRIBUTE_NORMAL);
}

std::string Describe(const Found& file) {
    return file.present ? std::to_string(file.bytes.size()) + " bytes, marks " +
                              std::to_string(file.marks)
                        : std::string("absent");
}

// A file of the MS-DOS 4.0 test drive, as the DOS tests boot it.
Found Msdos4File(const char* name) {
    Found file;
    file.bytes = ReadFileBytes(HostPath(std::string(QG_SOURCE_DIR) + "/tests/dos/msdos4/" + name),
                               &file.present);
    file.marks = HiddenSystemReadOnly;
    return file;
}

std::string Windows98MsdosSys() {
    std::string text = "[Paths]\r\nWinDir=C:\\WINDOWS\r\nWinBootDir=C:\\WINDOWS\r\n"
                       "HostWinBootDrv=C\r\n\r\n[Options]\r\nBootMulti=1\r\nBootGUI=1\r\n"
                       "DoubleBuffer=1\r\nAutoScan=1\r\nWinVer=4.10.1998\r\n;\r\n;The following "
                       "lines are required for compatibility with other programs.\r\n;Do not "
                       "remove them (MSDOS.SYS needs to be >1024 bytes).\r\n";
    for (char letter = 'a'; letter <= 's'; ++letter)
        text += ";" + std::string(68, 'x') + letter + "\r\n";
    return text;
}

// Waits for the question about the start-up keys, checks it and answers it.
void AnswerQuestion(App& app, bool yes, const std::string& name,
                    const std::vector<qg::OpenWay>& open) {
    HWND box = app.WaitMessageBox();
    ASSERT_NE(box, nullptr) << name;
    const MessageBoxInfo info = ReadMessageBox(box);
    EXPECT_EQ(info.title, qg::Messages::CloseStartupKeys.title) << name;
    // It names what stays open on the drive at hand, or says that only a boot disk gets past.
    ASSERT_EQ(info.text, qg::CloseStartupKeysText(open)) << name;
    std::string icon;
    WaitUntil(Patience, [&] { return !(icon = MessageBoxIcon(box)).empty(); });
    EXPECT_EQ(icon, "question") << name;
    EXPECT_TRUE(::GetDlgItem(box, IDYES) && ::GetDlgItem(box, IDNO)) << name;
    EXPECT_TRUE(PressButton(box, yes ? IDYES : IDNO)) << name;
}

} // namespace

TEST_F(E2eStrong, QuestionAnsweredThenPasswordChangedThenRemoved) {
    const std::string script = "@echo off\r\nwin\r\n";
    const std::string msdos98 = Windows98MsdosSys();
    const std::string msdos98Closed =
        msdos98.substr(0, msdos98.find("BootMulti")) + "BootKeys=0\r\nBootWarn=0\r\n" +
        msdos98.substr(msdos98.find("BootMulti"));
    const Found msdos4 = Msdos4File("MSDOS.SYS"), io4 = Msdos4File("IO.SYS");
    ASSERT_TRUE(msdos4.present && io4.present);
    const Found none;
    auto text = [](const std::string& bytes, DWORD marks = 0) { return Found{true, bytes, marks}; };
    const struct {
        const char* name;
        bool yes;                    // the answer to the question
        Found config, msdos, io, kernel; // the drive before
        Found configClosed, msdosClosed; // CONFIG.SYS and MSDOS.SYS with the keys closed
        std::vector<qg::OpenWay> open;   // what the question says stays open
    } cases[] = {
        {"Windows 98, Yes", true, text("DEVICE=C:\\WINDOWS\\HIMEM.SYS\r\n"),
         text(msdos98, HiddenSystemReadOnly), none, none,
         text("DEVICE=C:\\WINDOWS\\HIMEM.SYS\r\n" + Ours), text(msdos98Closed, HiddenSystemReadOnly), {}},
        {"Windows 98 without CONFIG.SYS, No", false, none, text(msdos98, HiddenSystemReadOnly),
         none, none, none, text(msdos98, HiddenSystemReadOnly), {}},
        {"FreeDOS with SWITCHES=/K, Yes", true,
         text("SWITCHES=/K\r\nINSTALLHIGH=C:\\FDOS\\BIN\\KEYB.EXE GR\r\nFILES=20\r\n"), none, none,
         text("kernel"),
         text("SWITCHES=/K /N\r\nINSTALLHIGH=C:\\FDOS\\BIN\\KEYB.EXE GR\r\n" + Ours + "FILES=20\r\n"),
         none, {}},
        // MS-DOS 4.0 rejects /N, and its MSDOS.SYS is the DOS kernel: never touched.
        {"MS-DOS 4.0 without CONFIG.SYS, Yes", true, none, msdos4, io4, none, text(Ours), msdos4, {}},
        // No start-up file of a DOS it knows: the question does not promise what it cannot.
        {"a DOS Quillgate does not know, Yes", true, text("FILES=30"), none, none, none,
         text("FILES=30\r\n" + Ours), none, {qg::OpenWay::UnknownDos}},
    };
    for (const auto& c : cases) {
        WriteFileBytes("c:\\autoexec.bat", script);
        Put(qg::ConfigSysPath, c.config);
        Put(qg::MsdosSysPath, c.msdos);
        Put("c:\\io.sys", c.io);
        Put("c:\\kernel.sys", c.kernel);
        {
            App app;
            HWND home = OpenHome(app);
            ASSERT_NE(home, nullptr) << c.name;
            EXPECT_EQ(ReadHome(home).status, "Not Active") << c.name;
            Click(Child(home, "Yes"));
            Click(Child(home, "&Apply"));
            ASSERT_TRUE(AnswerInputBox(app, FirstPrompt, "First1")) << c.name;
            ASSERT_TRUE(AnswerInputBox(app, ConfirmPrompt, "First1")) << c.name;
            AnswerQuestion(app, c.yes, c.name, c.open);
            ExpectMessage(app, qg::Messages::SettingsSaved);
            EXPECT_TRUE(app.WaitExit(Patience)) << c.name;
            ExpectBootFolderFilled(app, "First1");
        }
        const Found closedConfig = c.yes ? c.configClosed : c.config;
        const Found closedMsdos = c.yes ? c.msdosClosed : c.msdos;
        EXPECT_TRUE(Look(qg::ConfigSysPath) == closedConfig)
            << c.name << ": CONFIG.SYS " << Describe(Look(qg::ConfigSysPath)) << ":\n"
            << Look(qg::ConfigSysPath).bytes;
        EXPECT_TRUE(Look(qg::MsdosSysPath) == closedMsdos)
            << c.name << ": MSDOS.SYS " << Describe(Look(qg::MsdosSysPath));
        EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), script + Line + "\r\n") << c.name;
        if (!c.yes) {
            EXPECT_FALSE(PathPresent(qg::ConfigSysRecordPath)) << c.name;
            EXPECT_FALSE(PathPresent(qg::MsdosSysRecordPath)) << c.name;
        } else {
            // A change of password keeps the keys closed without asking.
            App app;
            HWND home = OpenHome(app);
            ASSERT_NE(home, nullptr) << c.name;
            ASSERT_TRUE(ApplyYes(app, home, "Second2")) << c.name;
            ExpectMessage(app, qg::Messages::SettingsSaved); // and no question before it
            EXPECT_TRUE(app.WaitExit(Patience)) << c.name;
            EXPECT_TRUE(Look(qg::ConfigSysPath) == closedConfig) << c.name << ": after the change";
            EXPECT_TRUE(Look(qg::MsdosSysPath) == closedMsdos) << c.name << ": after the change";
            ExpectBootFolderFilled(app, "Second2");
            // The boot script's line taken out by hand: CONFIG.SYS's line still starts the
            // prompt, so the lock reads as active and goes whole.
            WriteFileBytes("c:\\autoexec.bat", script);
        }
        {
            App app;
            HWND home = OpenHome(app);
            ASSERT_NE(home, nullptr) << c.name;
            EXPECT_EQ(ReadHome(home).status, "Quillgate is active.") << c.name;
            EXPECT_TRUE(ReadHome(home).yes) << c.name;
            ApplyNo(home);
            ExpectMessage(app, qg::Messages::SettingsSaved);
            EXPECT_TRUE(app.WaitExit(Patience)) << c.name;
        }
        EXPECT_TRUE(Look(qg::ConfigSysPath) == c.config)
            << c.name << ": CONFIG.SYS after removal " << Describe(Look(qg::ConfigSysPath));
        EXPECT_TRUE(Look(qg::MsdosSysPath) == c.msdos)
            << c.name << ": MSDOS.SYS after removal " << Describe(Look(qg::MsdosSysPath));
        EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), c.yes ? script : script + "\r\n") << c.name;
        EXPECT_FALSE(PathPresent("c:\\Qg_Data")) << c.name;
        for (const char* leftover : {qg::ConfigSysFile.scratch, qg::ConfigSysFile.backup,
                                     qg::MsdosSysFile.scratch, qg::MsdosSysFile.backup})
            EXPECT_FALSE(PathPresent(leftover)) << c.name << ": " << leftover;
        CleanDriveC();
    }
}
