/*
 * End-to-end tests of Apply with "Yes": what the installation makes of the boot script and the
 * boot folder, and what the user is told when a step fails.
 */
#include "tests/e2e/E2eCommon.h"

#include "lockconfig/FileSwap.h"

using namespace e2e;

class E2eInstall : public E2e {};

namespace {

enum class Folder {
    None,       // no boot folder
    Installed,  // an earlier installation with a longer password
    NoPlainFile, // the folder is there, but holds only a sub-folder
    EarlierVersion, // an earlier version's folder, with its systemf.dat
};

void LayOut(Folder folder) {
    switch (folder) {
    case Folder::None:
        break;
    case Folder::Installed:
        LayOutInstalledFolder("LongOldPasswd15");
        break;
    case Folder::NoPlainFile:
        ::CreateDirectoryA("c:\\Qg_Data", nullptr);
        ::CreateDirectoryA("c:\\Qg_Data\\sub", nullptr);
        break;
    case Folder::EarlierVersion:
        ::CreateDirectoryA("c:\\Qg_Data", nullptr);
        WriteFileBytes("c:\\Qg_Data\\systemf.dat", "old");
        break;
    }
}

} // namespace

TEST_F(E2eInstall, InstallationOfTheBootScriptAndFolder) {
    const std::string line = std::string(Line) + "\r\n";
    const struct {
        const char* name;
        const char* before; // nullptr: no boot script
        std::string after;
        Folder folder;
        const char* password;
    } cases[] = {
        {"no boot script", nullptr, line, Folder::None, "Secret7k"},
        {"line there", "@echo off\r\nc:\\Qg_Data\\qg.exe\r\nwin", "@echo off\r\nc:\\Qg_Data\\qg.exe\r\nwin",
         Folder::Installed, "k"},
        {"line in capitals", "C:\\QG_DATA\\QG.EXE\r\n", "C:\\QG_DATA\\QG.EXE\r\n" + line,
         Folder::NoPlainFile, "abcdefghij12345"},
        {"line with blanks", " c:\\Qg_Data\\qg.exe \r\n", " c:\\Qg_Data\\qg.exe \r\n" + line,
         Folder::EarlierVersion, "It's\"Q\"9"},
        {"no final line end", "@echo off\r\npath c:\\dos", "@echo off\r\npath c:\\dos\r\n" + line,
         Folder::None, "Zz0"},
        {"end-of-file marks", "@echo off\r\n\x1a\x1a", "@echo off\r\n" + line + "\x1a\x1a",
         Folder::Installed, "Short1"},
    };
    for (const auto& c : cases) {
        if (c.before)
            WriteFileBytes("c:\\autoexec.bat", c.before);
        LayOut(c.folder);
        App app;
        HWND home = OpenHome(app);
        if (c.folder == Folder::EarlierVersion) {
            // The advice comes before the home window is usable.
            HWND advice = app.WaitMessageBox();
            ASSERT_NE(advice, nullptr) << c.name;
            PressOk(advice);
        }
        ASSERT_NE(home, nullptr) << c.name;
        ASSERT_TRUE(ApplyYes(app, home, c.password)) << c.name;
        HWND saved = app.WaitMessageBox();
        ASSERT_NE(saved, nullptr) << c.name;
        EXPECT_EQ(ReadMessageBox(saved).text, Saved) << c.name;
        // The earlier version's file goes only once the user has read the message.
        EXPECT_EQ(PathPresent("c:\\Qg_Data\\systemf.dat"), c.folder == Folder::EarlierVersion)
            << c.name;
        PressOk(saved);
        EXPECT_TRUE(app.WaitExit(Patience)) << c.name;
        EXPECT_FALSE(PathPresent("c:\\Qg_Data\\systemf.dat")) << c.name;
        bool present = false;
        EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat", &present), c.after) << c.name;
        EXPECT_TRUE(present) << c.name;
        ExpectBootFolderFilled(app, c.password);
        if (c.folder == Folder::NoPlainFile) {
            EXPECT_TRUE(PathPresent("c:\\Qg_Data\\sub")) << c.name;
        }
        CleanDriveC();
    }
}

TEST_F(E2eInstall, FailedInstallationStepGetsAnHonestMessage) {
    // Each obstacle is met, reported, and the window stays open; once it is out of the way, a
    // second Apply finishes the installation. Without the boot-script line nothing is written.
    const std::string script = "@echo off\r\n";
    const std::string notOn = std::string("\r\n\r\n") + qg::LockNotSwitchedOn;
    const struct {
        const char* name;
        const char* file;     // the file in the way
        DWORD share;          // held open with this sharing; ~0u: made read-only instead
        bool installedBefore; // an earlier installation's boot folder
        std::string message;
        bool lockOn;          // the line is in the boot script afterwards
    } cases[] = {
        {"program in use", "c:\\Qg_Data\\qg.exe", FILE_SHARE_READ, true,
         "c:\\qg_data\\qg.exe could not be copied from c:\\qgtest\\app\\qg.exe because another "
         "program is using it.",
         true},
        {"read-only boot script", "c:\\autoexec.bat", ~0u, true,
         "c:\\autoexec.bat could not be changed because it is read-only." + notOn, false},
        {"read-only boot script, first installation", "c:\\autoexec.bat", ~0u, false,
         "c:\\autoexec.bat could not be changed because it is read-only." + notOn, false},
        {"boot script in use", "c:\\autoexec.bat", 0, true,
         "c:\\autoexec.bat could not be read because another program is using it. The line "
         "c:\\Qg_Data\\qg.exe was not added to it." + notOn,
         false},
    };
    for (const auto& c : cases) {
        WriteFileBytes("c:\\autoexec.bat", script);
        if (c.installedBefore)
            LayOutInstalledFolder("OldPass9");
        const std::string held = ReadFileBytes(c.file);
        HANDLE handle = INVALID_HANDLE_VALUE;
        if (c.share == ~0u)
            ASSERT_TRUE(::SetFileAttributesA(c.file, FILE_ATTRIBUTE_READONLY)) << c.name;
        else
            handle = ::CreateFileA(c.file, GENERIC_READ, c.share, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_TRUE(c.share == ~0u || handle != INVALID_HANDLE_VALUE) << c.name;
        App app;
        HWND home = OpenHome(app);
        ASSERT_NE(home, nullptr) << c.name;
        ASSERT_TRUE(ApplyYes(app, home, "NewPass1")) << c.name;
        ExpectMessage(app, qg::Messages::SettingsNotSaved, NotSaved + c.message);
        EXPECT_FALSE(app.WaitExit(0.5)) << c.name;
        EXPECT_TRUE(::IsWindowVisible(home)) << c.name;
        // The window shows what is on disk once the report is closed.
        const char* status = c.lockOn ? "Quillgate is active." : "Not Active";
        EXPECT_TRUE(WaitUntil(Patience, [&] { return ReadHome(home).status == status; }))
            << c.name << ": " << ReadHome(home).status;
        if (c.lockOn) {
            EXPECT_EQ(ReadFileBytes("c:\\qg_data\\vhod.dll"), qg::ScramblePassword("NewPass1"))
                << c.name;
        } else if (c.installedBefore) {
            // Nothing of the new password reached the disk; the old folder is as it was.
            EXPECT_EQ(ReadFileBytes("c:\\qg_data\\vhod.dll"), qg::ScramblePassword("OldPass9"))
                << c.name;
            EXPECT_EQ(ReadFileBytes("c:\\qg_data\\rb.com"), "old rb") << c.name;
        } else {
            EXPECT_FALSE(PathPresent("c:\\Qg_Data")) << c.name;
        }
        for (const char* leftover : {"c:\\qg_data\\vhod.tmp", "c:\\qg_data\\vhod.new",
                                     "c:\\qg_data\\qg.new", "c:\\qg_data\\rb.new", "c:\\autotemp",
                                     "c:\\autoexec.qgb"})
            EXPECT_FALSE(PathPresent(leftover)) << c.name << ": " << leftover;

        if (handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
        EXPECT_EQ(ReadFileBytes(c.file), held) << c.name; // the obstacle itself is untouched
        ::SetFileAttributesA(c.file, FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(ApplyYes(app, home, "NewPass2")) << c.name;
        ExpectMessage(app, qg::Messages::SettingsSaved);
        EXPECT_TRUE(app.WaitExit(Patience)) << c.name;
        EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), script + Line + "\r\n") << c.name;
        ExpectBootFolderFilled(app, "NewPass2");
        CleanDriveC();
    }
}

TEST_F(E2eInstall, ReadOnlyProgramFilesInstallChangeAndRemove) {
    // Copied from a CD, the program's own qg.exe and rb.com are read-only; their copies in the
    // boot folder are made writable. Copies left read-only by an earlier version are replaced
    // and deleted all the same: they are the lock's own.
    const AppSetup fromCd{true, true, true};
    for (const char* password : {"First1", "Second2"}) {
        App app(fromCd);
        HWND home = OpenHome(app);
        ASSERT_NE(home, nullptr) << password;
        ASSERT_TRUE(ApplyYes(app, home, password)) << password;
        ExpectMessage(app, qg::Messages::SettingsSaved);
        EXPECT_TRUE(app.WaitExit(Patience)) << password;
        ExpectBootFolderFilled(app, password);
        for (const char* file : {qg::BootProgramTarget, qg::RebootProgramTarget,
                                 qg::PasswordFilePath})
            ::SetFileAttributesA(file, FILE_ATTRIBUTE_READONLY);
    }
    App app(fromCd);
    HWND home = OpenHome(app);
    ASSERT_NE(home, nullptr);
    ApplyNo(home);
    ExpectMessage(app, qg::Messages::SettingsSaved);
    EXPECT_TRUE(app.WaitExit(Patience));
    EXPECT_FALSE(PathPresent("c:\\Qg_Data"));
    EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), "\r\n");
}

TEST_F(E2eInstall, WindowsThatSkipsTheBootScriptIsToldSo) {
    // Windows ME and the NT family never run the line; the owner is told before the password
    // is asked for, and the lock is still installed for a DOS or Windows 98 on the same drive.
    const struct {
        const char* windows;
        bool notice;
    } cases[] = {{"win98", false}, {"winme", true}, {"winxp", true}};
    for (const auto& c : cases) {
        App app({true, true, false, c.windows});
        HWND home = OpenHome(app);
        ASSERT_NE(home, nullptr) << c.windows;
        Click(Child(home, "Yes"));
        Click(Child(home, "&Apply"));
        if (c.notice)
            ExpectMessage(app, qg::Messages::BootScriptNotRun);
        ASSERT_NE(WaitInputBox(app, FirstPrompt), nullptr) << c.windows;
        EXPECT_EQ(app.WaitMessageBox(0), nullptr) << c.windows; // no other box
        ASSERT_TRUE(AnswerInputBox(app, FirstPrompt, "Both9")) << c.windows;
        ASSERT_TRUE(AnswerInputBox(app, ConfirmPrompt, "Both9")) << c.windows;
        EXPECT_TRUE(AnswerKeysQuestion(app, false)) << c.windows;
        ExpectMessage(app, qg::Messages::SettingsSaved);
        EXPECT_TRUE(app.WaitExit(Patience)) << c.windows;
        EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), std::string(Line) + "\r\n") << c.windows;
        ExpectBootFolderFilled(app, "Both9");
        CleanDriveC();
    }
}

TEST_F(E2eInstall, ShutdownIsRefusedWhileFilesChange) {
    // Windows asks each program before it shuts down or logs off. While an Apply changes the
    // lock's files the answer is no, and the Apply finishes; before and after it is yes.
    const struct {
        const char* name;
        bool install;       // a change of password, else the removal
        const char* during; // there only while the files change, inside a pause
    } cases[] = {
        {"change of password", true, qg::PasswordNewPath},
        {"removal", false, qg::ScratchFilePath},
    };
    for (const auto& c : cases) {
        WriteFileBytes("c:\\autoexec.bat", std::string(Line) + "\r\n");
        LayOutInstalledFolder("OldPass9");
        App app;
        HWND home = OpenHome(app);
        ASSERT_NE(home, nullptr) << c.name;
        LRESULT answer = 0;
        ASSERT_TRUE(SendNow(home, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, &answer)) << c.name;
        EXPECT_NE(answer, 0) << c.name << ": refused before the Apply";
        if (c.install) {
            ASSERT_TRUE(ApplyYes(app, home, "NewPass1")) << c.name;
        } else {
            ApplyNo(home);
        }
        ASSERT_TRUE(WaitUntil(Patience, [&] { return PathPresent(c.during); })) << c.name;
        ASSERT_TRUE(SendNow(home, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, &answer)) << c.name;
        EXPECT_EQ(answer, 0) << c.name << ": allowed while the files change";
        EXPECT_TRUE(PathPresent(c.during)) << c.name << ": asked too late to tell";
        HWND saved = app.WaitMessageBox();
        ASSERT_NE(saved, nullptr) << c.name;
        EXPECT_EQ(ReadMessageBox(saved).text, Saved) << c.name;
        ASSERT_TRUE(SendNow(home, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, &answer)) << c.name;
        EXPECT_NE(answer, 0) << c.name << ": refused once the files are done";
        PressOk(saved);
        EXPECT_TRUE(app.WaitExit(Patience)) << c.name;
        if (c.install)
            ExpectBootFolderFilled(app, "NewPass1");
        else
            EXPECT_FALSE(PathPresent("c:\\Qg_Data")) << c.name;
        CleanDriveC();
    }
}

TEST_F(E2eInstall, StatusSaysWhetherTheLockCanRun) {
    // The line alone locks nothing: with c:\Qg_Data a file the line is not added, a first
    // installation that cannot copy qg.exe takes it out again, and a line without qg.exe shows
    // as damaged, with "Yes" selected so that Apply mends it.
    const std::string script = "@echo off\r\n", on = script + Line + "\r\n";
    enum class Lay { FileInTheWay, Nothing, InstalledWithoutQg, StrongWithoutQg };
    const struct {
        const char* name;
        const std::string before;
        Lay lay;
        bool holdSource;     // the program's own qg.exe held open, so it cannot be copied
        const char* statusBefore;
        std::string message; // empty: "Settings saved"
        const std::string after;
    } cases[] = {
        {"c:\\Qg_Data is a file", script, Lay::FileInTheWay, false, "Not Active",
         NotSaved + qg::BootFolderIsAFile + "\r\n\r\n" + qg::LockNotSwitchedOn, script},
        {"first installation without qg.exe", script, Lay::Nothing, true, "Not Active",
         NotSaved + "c:\\qg_data\\qg.exe could not be copied from c:\\qgtest\\app\\qg.exe "
                    "because another program is using it.\r\n\r\n" + qg::LineNotAdded,
         script},
        {"line without qg.exe", on, Lay::InstalledWithoutQg, false, "Quillgate is damaged.", "",
         on},
        // CONFIG.SYS's line starts the prompt too: without qg.exe the PC boots unlocked.
        {"strong lock without qg.exe", script, Lay::StrongWithoutQg, false,
         "Quillgate is damaged.", "", on},
    };
    for (const auto& c : cases) {
        WriteFileBytes("c:\\autoexec.bat", c.before);
        if (c.lay == Lay::FileInTheWay)
            WriteFileBytes("c:\\Qg_Data", "not a folder");
        if (c.lay == Lay::InstalledWithoutQg || c.lay == Lay::StrongWithoutQg) {
            LayOutInstalledFolder("OldPass9");
            ::DeleteFileA("c:\\Qg_Data\\qg.exe");
        }
        if (c.lay == Lay::StrongWithoutQg)
            WriteFileBytes(qg::ConfigSysPath, QG_INSTALL_LINE "\r\n");
        App app;
        HWND home = OpenHome(app);
        ASSERT_NE(home, nullptr) << c.name;
        const HomeState state = ReadHome(home);
        EXPECT_EQ(state.status, c.statusBefore) << c.name;
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.holdSource) {
            held = ::CreateFileA((app.Folder() + "\\qg.exe").c_str(), GENERIC_READ, 0, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE) << c.name;
        }
        if (c.message.empty()) {
            EXPECT_TRUE(state.yes) << c.name;
            Click(Child(home, "&Apply"));
            ASSERT_TRUE(AnswerInputBox(app, FirstPrompt, "NewPass1")) << c.name;
            ASSERT_TRUE(AnswerInputBox(app, ConfirmPrompt, "NewPass1")) << c.name;
            // Closed keys stay closed without a question.
            EXPECT_EQ(AnswerKeysQuestion(app, false), c.lay != Lay::StrongWithoutQg) << c.name;
            ExpectMessage(app, qg::Messages::SettingsSaved);
            EXPECT_TRUE(app.WaitExit(Patience)) << c.name;
            ExpectBootFolderFilled(app, "NewPass1");
        } else {
            ASSERT_TRUE(ApplyYes(app, home, "NewPass1")) << c.name;
            ExpectMessage(app, qg::Messages::SettingsNotSaved, c.message);
            EXPECT_TRUE(WaitUntil(Patience, [&] { return ReadHome(home).status == "Not Active"; }))
                << c.name << ": " << ReadHome(home).status;
        }
        if (held != INVALID_HANDLE_VALUE)
            ::CloseHandle(held);
        EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), c.after) << c.name;
        if (c.lay == Lay::FileInTheWay) {
            EXPECT_EQ(ReadFileBytes("c:\\Qg_Data"), "not a folder") << c.name;
        }
        app.Kill();
        RemovePath("c:\\Qg_Data");
        CleanDriveC();
    }
}
