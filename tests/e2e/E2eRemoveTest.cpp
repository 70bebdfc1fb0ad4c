/*
 * End-to-end tests of Apply with "No": what the removal makes of the boot script and the boot
 * folder, and what the user is told when the boot script cannot be changed.
 */
#include "tests/e2e/E2eCommon.h"

using namespace e2e;

class E2eRemove : public E2e {};

TEST_F(E2eRemove, RemovalOfTheBootScriptLineAndFolder) {
    const struct {
        const char* name;
        const char* before; // nullptr: no boot script
        const char* after;  // nullptr: no boot script
        bool earlierVersion;   // the boot folder also holds systemf.dat
        const char* leftover;  // an old c:\autotemp, put there once the program runs
    } cases[] = {
        {"capitals", "@echo off\r\nC:\\QG_DATA\\QG.EXE\r\nwin\r\n", "@echo off\r\n\r\nwin\r\n",
         false, nullptr},
        {"several lines", "c:\\Qg_Data\\qg.exe\r\nrem x\r\nc:\\qg_data\\QG.exe\r\nc:\\Qg_Data\\qg.exe",
         "\r\nrem x\r\n\r\n\r\n", false, nullptr},
        {"blanks and arguments",
         " c:\\Qg_Data\\qg.exe\r\nc:\\Qg_Data\\qg.exe \r\nc:\\Qg_Data\\qg.exe /x\r\nc:\\Qg_Data\\qg.exe\r\n",
         " c:\\Qg_Data\\qg.exe\r\nc:\\Qg_Data\\qg.exe \r\nc:\\Qg_Data\\qg.exe /x\r\n\r\n", false, nullptr},
        {"not installed", "@echo off\npath c:\\dos", "@echo off\npath c:\\dos", false, nullptr},
        {"empty boot script", "", "", false, nullptr},
        {"no boot script", nullptr, nullptr, false, nullptr},
        {"earlier version", "c:\\Qg_Data\\qg.exe\r\n", "\r\n", true, nullptr},
        // Scratch files of the swap's own, cut short, and of an earlier version's finished copy.
        {"old scratch file", "a\r\nc:\\Qg_Data\\qg.exe\r\n", "a\r\n\r\n", false, "a\r\n\r"},
        {"old scratch file, no line", "a\r\nb\r\n", "a\r\nb\r\n", false, "a\r\nb\r\n"},
    };
    for (const auto& c : cases) {
        if (c.before)
            WriteFileBytes("c:\\autoexec.bat", c.before);
        LayOutInstalledFolder("OldPass9");
        WriteFileBytes("c:\\Qg_Data\\qg.new", "cut short"); // from an installation cut short
        if (c.earlierVersion)
            WriteFileBytes("c:\\Qg_Data\\systemf.dat", "old");
        App app;
        if (c.earlierVersion) {
            HWND advice = app.WaitMessageBox();
            ASSERT_NE(advice, nullptr) << c.name;
            PressOk(advice);
        }
        HWND home = OpenHome(app);
        ASSERT_NE(home, nullptr) << c.name;
        if (c.leftover) {
            // Start-up clears a scratch file; this one comes later, and read-only.
            WriteFileBytes("c:\\autotemp", c.leftover);
            ::SetFileAttributesA("c:\\autotemp", FILE_ATTRIBUTE_READONLY);
        }
        ApplyNo(home);
        ExpectMessage(app, qg::Messages::SettingsSaved);
        EXPECT_TRUE(app.WaitExit(Patience)) << c.name;
        bool present = false;
        const std::string now = ReadFileBytes("c:\\autoexec.bat", &present);
        EXPECT_EQ(present, c.after != nullptr) << c.name;
        if (c.after) {
            EXPECT_EQ(now, c.after) << c.name;
        }
        EXPECT_FALSE(PathPresent("c:\\autotemp")) << c.name;
        EXPECT_FALSE(PathPresent("c:\\autoexec.qgb")) << c.name;
        if (c.earlierVersion) {
            EXPECT_EQ(ReadFileBytes("c:\\Qg_Data\\systemf.dat"), "old") << c.name;
            for (const char* gone : {"vhod.dll", "qg.exe", "rb.com", "qg.new"})
                EXPECT_FALSE(PathPresent(std::string("c:\\Qg_Data\\") + gone)) << c.name << gone;
        } else {
            EXPECT_FALSE(PathPresent("c:\\Qg_Data")) << c.name;
        }
        CleanDriveC();
    }
}

TEST_F(E2eRemove, BootScriptInUseIsLeftWholeWithAnHonestMessage) {
    const std::string script = std::string("@echo off\r\n") + Line + "\r\nwin\r\n";
    const struct {
        const char* name;
        DWORD share;
        std::string message;
        const char* statusAfter; // nullptr: as before (the boot script cannot be read)
    } cases[] = {
        {"held without sharing", 0,
         "c:\\autoexec.bat could not be read because another program is using it. The line "
         "c:\\Qg_Data\\qg.exe may still be in it.\r\n\r\n" + std::string(qg::LockFilesKept),
         nullptr},
        // The line stayed, and so do the files: the lock still asks.
        {"held for reading", FILE_SHARE_READ,
         "c:\\autoexec.bat could not be changed because another program is using it.\r\n\r\n" +
             std::string(qg::LockFilesKept),
         "Quillgate is active."},
    };
    for (const auto& c : cases) {
        WriteFileBytes("c:\\autoexec.bat", script);
        LayOutInstalledFolder("OldPass9");
        HANDLE held = ::CreateFileA("c:\\autoexec.bat", GENERIC_READ, c.share, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE) << c.name;
        App app;
        HWND home = OpenHome(app);
        ASSERT_NE(home, nullptr) << c.name;
        // Held from before the start, the boot script may not have been readable for the
        // status scan either; the failed removal must not change what the window shows.
        const std::string status = ReadHome(home).status;
        ApplyNo(home);
        ExpectMessage(app, qg::Messages::SettingsNotSaved, NotSaved + c.message);
        EXPECT_FALSE(app.WaitExit(0.5)) << c.name;
        const std::string after = c.statusAfter ? c.statusAfter : status;
        EXPECT_TRUE(WaitUntil(Patience, [&] { return ReadHome(home).status == after; }))
            << c.name << ": " << ReadHome(home).status;
        ::CloseHandle(held);
        EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), script) << c.name;
        EXPECT_FALSE(PathPresent("c:\\autotemp")) << c.name;
        EXPECT_FALSE(PathPresent("c:\\autoexec.qgb")) << c.name;
        EXPECT_TRUE(PathPresent(qg::BootProgramTarget)) << c.name; // the line still starts it

        // Once the other program lets go, a second Apply takes the line out.
        ApplyNo(home);
        ExpectMessage(app, qg::Messages::SettingsSaved);
        EXPECT_TRUE(app.WaitExit(Patience)) << c.name;
        EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), "@echo off\r\n\r\nwin\r\n") << c.name;
        CleanDriveC();
    }
}

TEST_F(E2eRemove, ClicksDuringAnApplyAreIgnoredAndAltF4Waits) {
    // The removal's pauses dispatch window events: a second Apply, About and Alt+F4 come
    // through then. None may start a second action or cut the first short. A second removal
    // would show only where a step fails (each then reports), so that case holds the boot
    // script open for reading.
    const std::string script = std::string("@echo off\r\n") + Line + "\r\nwin\r\n";
    const struct {
        const char* name;
        const char* button; // clicked during the removal; nullptr: Alt+F4 instead
        bool held;          // the boot script held open, so the removal fails
    } cases[] = {
        {"second Apply", "&Apply", true},
        {"About", "Ab&out", false},
        {"close command (Alt+F4)", nullptr, false},
    };
    for (const auto& c : cases) {
        WriteFileBytes("c:\\autoexec.bat", script);
        LayOutInstalledFolder("OldPass9");
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.held) {
            held = ::CreateFileA("c:\\autoexec.bat", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE) << c.name;
        }
        App app;
        HWND home = OpenHome(app);
        ASSERT_NE(home, nullptr) << c.name;
        ApplyNo(home);
        // The scratch file is there only during the first pause: each click is handled then.
        ASSERT_TRUE(WaitUntil(Patience, [] { return PathPresent("c:\\autotemp"); })) << c.name;
        if (c.button)
            EXPECT_TRUE(SendNow(Child(home, c.button), BM_CLICK, 0, 0)) << c.name;
        else
            EXPECT_TRUE(SendNow(home, WM_SYSCOMMAND, SC_CLOSE, 0)) << c.name;
        EXPECT_TRUE(PathPresent("c:\\autotemp")) << c.name << ": handled after the pause";
        HWND box = app.WaitMessageBox();
        ASSERT_NE(box, nullptr) << c.name;
        EXPECT_EQ(ReadMessageBox(box).text,
                  c.held ? NotSaved + "c:\\autoexec.bat could not be changed because another "
                                      "program is using it.\r\n\r\n" + qg::LockFilesKept
                         : Saved)
            << c.name;
        // Only the home window and this one message: no About window, no second action.
        EXPECT_EQ(app.VisibleWindows().size(), 2u) << c.name;
        EXPECT_EQ(app.WaitWindow("About Quillgate", 0.2), nullptr) << c.name;
        PressOk(box);
        // Wine takes a moment to close a box; then no other may follow.
        EXPECT_TRUE(WaitUntil(Patience, [box] { return !::IsWindow(box); })) << c.name;
        EXPECT_EQ(app.WaitMessageBox(2.0), nullptr) << c.name;
        if (held != INVALID_HANDLE_VALUE) {
            EXPECT_TRUE(app.Running()) << c.name;
            ::CloseHandle(held);
            EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), script) << c.name;
        } else {
            EXPECT_TRUE(app.WaitExit(Patience)) << c.name;
            EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), "@echo off\r\n\r\nwin\r\n") << c.name;
        }
        // The files stay while the line does.
        EXPECT_EQ(PathPresent("c:\\Qg_Data"), c.held) << c.name;
        CleanDriveC();
    }
}
