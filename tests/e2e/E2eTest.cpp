/*
 * End-to-end tests of the real program under Wine: start-up, the home window's status, and
 * Apply with "Yes" and "No", observed only through windows and files on drive C:.
 */
#include "tests/e2e/E2eCommon.h"

using namespace e2e;

namespace {

// IsWindowEnabled on another process's window lags behind under Wine (seen: two seconds);
// the style bit is current.
bool Enabled(HWND window) {
    return !(::GetWindowLongA(window, GWL_STYLE) & WS_DISABLED);
}

} // namespace

TEST_F(E2e, MissingProgramFilesGiveOneMessageAndEnd) {
    const struct {
        bool rb, qg;
    } cases[] = {{false, true}, {true, false}, {false, false}};
    for (const auto& c : cases) {
        App app(c.rb, c.qg);
        HWND box = app.WaitMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(app.VisibleWindows().size(), 1u); // no other window ever shown
        ExpectMessage(app, qg::Messages::ProgramFilesNotFound);
        DWORD code = 1;
        EXPECT_TRUE(app.WaitExit(5, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(app.WaitMessageBox(0.5), nullptr);
    }
}

TEST_F(E2e, SplashIsCentredTopmostThenHomeOpens) {
    App app;
    HWND splash = app.WaitWindow("", 10);
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(::GetWindowLongA(splash, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE((::GetWindowLongA(splash, GWL_STYLE) & WS_CAPTION) == WS_CAPTION);
    RECT r;
    ::GetWindowRect(splash, &r);
    EXPECT_NEAR((r.left + r.right) / 2.0, ::GetSystemMetrics(SM_CXSCREEN) / 2.0, 1.0);
    EXPECT_NEAR((r.top + r.bottom) / 2.0, ::GetSystemMetrics(SM_CYSCREEN) / 2.0, 1.0);
    const DWORD shown = ::GetTickCount();
    while (::IsWindowVisible(splash) && ::GetTickCount() - shown < 10000)
        Sleep(0.02);
    const DWORD up = ::GetTickCount() - shown;
    EXPECT_GE(up, 2800u); // about 3 seconds, seen from outside
    EXPECT_LE(up, 4000u);
    HWND home = app.WaitWindow(Home, 10);
    ASSERT_NE(home, nullptr);
    const HomeState state = ReadHome(home);
    EXPECT_EQ(state.status, "Not Active");
    EXPECT_TRUE(state.no);
    EXPECT_FALSE(state.yes);
}

TEST_F(E2e, StatusScanOfTheBootScript) {
    const struct {
        const char* script;
        const char* status;
        bool yes;
    } cases[] = {
        {"@echo off\r\nC:\\QG_DATA\\QG.EXE\r\nwin\r\n", "Quillgate is active.", true},
        {" c:\\Qg_Data\\qg.exe\r\n", "Not Active", false},
        {"c:\\Qg_Data\\qg.exe /x\r\n", "Not Active", false},
    };
    for (const auto& c : cases) {
        WriteFileBytes("c:\\autoexec.bat", c.script);
        App app;
        HWND home = app.WaitWindow(Home);
        ASSERT_NE(home, nullptr);
        const HomeState state = ReadHome(home);
        EXPECT_EQ(state.status, c.status) << c.script;
        EXPECT_EQ(state.yes, c.yes) << c.script;
        EXPECT_EQ(state.no, !c.yes) << c.script;
    }
}

TEST_F(E2e, InstallThenRemoveRoundTrip) {
    const std::string original = "@echo off\r\npath c:\\dos\r\n";
    WriteFileBytes("c:\\autoexec.bat", original);
    {
        App app;
        HWND home = app.WaitWindow(Home);
        ASSERT_NE(home, nullptr);
        Click(Child(home, "Yes"));
        Click(Child(home, "&Apply"));
        ASSERT_TRUE(AnswerInputBox(app, "Please enter your password (Max 15 characters)", "Secret7k"));
        ASSERT_TRUE(AnswerInputBox(app, "Confirm password", "Secret7k"));
        ExpectMessage(app, qg::Messages::SettingsSaved);
        EXPECT_TRUE(app.WaitExit(5));
        EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), original + Line + "\r\n");
        EXPECT_EQ(ReadFileBytes("c:\\qg_data\\vhod.dll"), qg::ScramblePassword("Secret7k"));
        EXPECT_EQ(ReadFileBytes("c:\\qg_data\\qg.exe"), ReadFileBytes(app.Folder() + "\\qg.exe"));
        EXPECT_EQ(ReadFileBytes("c:\\qg_data\\rb.com"), ReadFileBytes(app.Folder() + "\\rb.com"));
    }
    {
        App app;
        HWND home = app.WaitWindow(Home);
        ASSERT_NE(home, nullptr);
        EXPECT_EQ(ReadHome(home).status, "Quillgate is active.");
        Click(Child(home, "No"));
        Click(Child(home, "&Apply"));
        ExpectMessage(app, qg::Messages::SettingsSaved);
        EXPECT_TRUE(app.WaitExit(5));
        EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), original + "\r\n");
        EXPECT_FALSE(PathPresent("c:\\qg_data"));
        EXPECT_FALSE(PathPresent("c:\\autotemp"));
        EXPECT_FALSE(PathPresent("c:\\autoexec.qgb"));
    }
}

TEST_F(E2e, InputBoxesAreMaskedAndPlacedLikeAnInputBox) {
    App app;
    HWND home = OpenHome(app);
    ASSERT_NE(home, nullptr);
    Click(Child(home, "Yes"));
    Click(Child(home, "&Apply"));
    for (const char* prompt : {FirstPrompt, ConfirmPrompt}) {
        HWND box = WaitInputBox(app, prompt);
        ASSERT_NE(box, nullptr) << prompt;
        HWND edit = ::FindWindowExA(box, nullptr, "Edit", nullptr);
        ASSERT_NE(edit, nullptr) << prompt;
        // A boot password is not shown in clear: one mark per character.
        EXPECT_NE(::SendMessageA(edit, EM_GETPASSWORDCHAR, 0, 0), 0) << prompt;
        EXPECT_EQ(Text(::GetDlgItem(box, IDOK)), "OK") << prompt;
        EXPECT_EQ(Text(::GetDlgItem(box, IDCANCEL)), "Cancel") << prompt;
        RECT r;
        ::GetWindowRect(box, &r);
        const int width = r.right - r.left, height = r.bottom - r.top;
        EXPECT_NEAR(r.left, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2, 1) << prompt;
        EXPECT_NEAR(r.top, (::GetSystemMetrics(SM_CYSCREEN) - height) / 3, 1) << prompt;
        ASSERT_TRUE(AnswerInputBox(app, prompt, "Secret1", prompt == ConfirmPrompt)) << prompt;
    }
    EXPECT_EQ(app.WaitMessageBox(1.0), nullptr);
    EXPECT_FALSE(PathPresent("c:\\autoexec.bat"));
}

TEST_F(E2e, RefusedPasswordsChangeNothing) {
    // One run of the program for all outcomes: each leaves the home window open, and the next
    // Apply starts again with the first box. The lock is installed, so a change would show.
    const std::string script = std::string("@echo off\r\n") + Line + "\r\n";
    WriteFileBytes("c:\\autoexec.bat", script);
    LayOutInstalledFolder("OldPass9");
    const qg::Message* const tooLong = &qg::Messages::PasswordTooLong;
    const qg::Message* const forbidden = &qg::Messages::PasswordForbidden;
    const qg::Message* const differ = &qg::Messages::PasswordsDiffer;
    const struct {
        const char* first;
        bool cancelFirst;
        const char* second; // nullptr: no confirmation box is expected
        bool cancelSecond;
        const qg::Message* message; // nullptr: no message
        bool selectsNo;
    } cases[] = {
        {"", false, nullptr, false, nullptr, true},
        {"typed", true, nullptr, false, nullptr, true},
        {"abcdefghij123456", false, nullptr, false, tooLong, true},
        {"abc def ghij 1234", false, nullptr, false, tooLong, true},
        {"pass word", false, nullptr, false, forbidden, false},
        {"secret1 ", false, nullptr, false, forbidden, false},
        {"Secret1", false, "", false, nullptr, true},
        {"Secret1", false, "Secret1", true, nullptr, true},
        {"Secret1", false, "Secret1abcdefghij", false, tooLong, true},
        {"Secret1", false, "Secret1.", false, forbidden, false},
        {"Secret1", false, "secret1", false, differ, true},
    };
    App app;
    HWND home = OpenHome(app);
    ASSERT_NE(home, nullptr);
    for (const auto& c : cases) {
        const std::string which = std::string("\"") + c.first + "\" / " +
                                  (c.second ? std::string("\"") + c.second + "\"" : "-");
        Click(Child(home, "Yes"));
        Click(Child(home, "&Apply"));
        ASSERT_TRUE(AnswerInputBox(app, FirstPrompt, c.first, c.cancelFirst)) << which;
        if (c.second) {
            ASSERT_TRUE(AnswerInputBox(app, ConfirmPrompt, c.second, c.cancelSecond)) << which;
        }
        if (c.message) {
            ExpectMessage(app, *c.message);
        } else {
            EXPECT_EQ(app.WaitMessageBox(1.0), nullptr) << which;
        }
        Sleep(0.3);
        EXPECT_TRUE(app.Running()) << which;
        // No box of this Apply is left open: only the home window shows.
        const auto windows = app.VisibleWindows();
        EXPECT_EQ(windows.size(), 1u) << which;
        if (HWND stray = windows.size() > 1 ? app.WaitMessageBox(0.1) : nullptr)
            PressOk(stray); // keep the next cases apart
        EXPECT_EQ(Checked(Child(home, "No")), c.selectsNo) << which;
        EXPECT_EQ(Checked(Child(home, "Yes")), !c.selectsNo) << which;
        EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), script) << which;
        EXPECT_EQ(ReadFileBytes("c:\\qg_data\\vhod.dll"), qg::ScramblePassword("OldPass9")) << which;
        EXPECT_EQ(ReadFileBytes("c:\\qg_data\\qg.exe"), "old qg") << which;
        EXPECT_FALSE(PathPresent("c:\\qg_data\\vhod.new")) << which;
    }
}

TEST_F(E2e, AboutDisablesHomeAndOkActivatesItAgain) {
    App app;
    HWND home = app.WaitWindow(Home);
    ASSERT_NE(home, nullptr);
    const struct {
        const char* how;
    } closes[] = {{"ok"}, {"enter"}, {"escape"}, {"alt+f4"}};
    for (const auto& c : closes) {
        Click(Child(home, "Ab&out"));
        HWND about = app.WaitWindow("About Quillgate");
        ASSERT_NE(about, nullptr) << c.how;
        Sleep(0.3);
        EXPECT_FALSE(Enabled(home)) << c.how;
        EXPECT_TRUE(::GetWindowLongA(about, GWL_EXSTYLE) & WS_EX_TOPMOST) << c.how;
        EXPECT_NE(::GetWindow(about, GW_OWNER), home) << c.how;
        // A boot script written meanwhile shows once the home window is active again.
        WriteFileBytes("c:\\autoexec.bat", std::string(Line) + "\r\n");
        HWND ok = Child(about, "&Ok");
        const std::string how = c.how;
        if (how == "ok")
            Click(ok);
        else if (how == "enter")
            PressKey(ok, VK_RETURN);
        else if (how == "escape")
            PressKey(ok, VK_ESCAPE);
        else
            ::PostMessageA(about, WM_SYSKEYDOWN, VK_F4, 0x20000001);
        Sleep(0.6);
        EXPECT_FALSE(::IsWindowVisible(about)) << c.how;
        EXPECT_TRUE(Enabled(home)) << c.how;
        EXPECT_EQ(ReadHome(home).status, "Quillgate is active.") << c.how;
        EXPECT_TRUE(ReadHome(home).yes) << c.how;
        ::DeleteFileA("c:\\autoexec.bat");
        // Back to "No" for the next round: the next activation reads the missing script.
    }
}

TEST_F(E2e, EarlierVersionAdviceAtEachActivation) {
    ::CreateDirectoryA("c:\\Qg_Data", nullptr);
    WriteFileBytes("c:\\Qg_Data\\systemf.dat", "old");
    App app;
    ExpectMessage(app, qg::Messages::EarlierVersionAdvice);
    HWND home = app.WaitWindow(Home);
    ASSERT_NE(home, nullptr);
    Click(Child(home, "Ab&out"));
    HWND about = app.WaitWindow("About Quillgate");
    ASSERT_NE(about, nullptr);
    Click(Child(about, "&Ok"));
    ExpectMessage(app, qg::Messages::EarlierVersionAdvice);
}

TEST_F(E2e, ProgramFileDeletedWhileRunningEndsAtTheNextActivation) {
    const struct {
        const char* file;
    } cases[] = {{"rb.com"}, {"qg.exe"}};
    for (const auto& c : cases) {
        App app;
        HWND home = app.WaitWindow(Home);
        ASSERT_NE(home, nullptr) << c.file;
        ASSERT_TRUE(::DeleteFileA((app.Folder() + "\\" + c.file).c_str())) << c.file;
        Click(Child(home, "Ab&out"));
        HWND about = app.WaitWindow("About Quillgate");
        ASSERT_NE(about, nullptr) << c.file;
        Click(Child(about, "&Ok"));
        ExpectMessage(app, qg::Messages::ProgramFilesMissing);
        DWORD code = 1;
        EXPECT_TRUE(app.WaitExit(5, &code)) << c.file;
        EXPECT_EQ(code, 0u) << c.file;
    }
}

TEST_F(E2e, HiddenBootScriptHoldingTheLineGetsNoSecondLine) {
    const std::string script = std::string("@echo off\r\n") + Line + "\r\n";
    WriteFileBytes("c:\\autoexec.bat", script);
    ::SetFileAttributesA("c:\\autoexec.bat", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ::CreateDirectoryA("c:\\Qg_Data", nullptr);
    WriteFileBytes("c:\\Qg_Data\\systemf.dat", "old");
    App app;
    HWND box = app.WaitMessageBox();
    ASSERT_NE(box, nullptr);
    PressOk(box); // the earlier-version advice
    HWND home = app.WaitWindow(Home);
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(ReadHome(home).status, "Quillgate is active.");
    Click(Child(home, "&Apply"));
    ASSERT_TRUE(AnswerInputBox(app, FirstPrompt, "NewPass1"));
    ASSERT_TRUE(AnswerInputBox(app, ConfirmPrompt, "NewPass1"));
    HWND saved = app.WaitMessageBox();
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(ReadMessageBox(saved).text, Saved);
    EXPECT_TRUE(PathPresent("c:\\Qg_Data\\systemf.dat")); // deleted only after OK
    PressOk(saved);
    EXPECT_TRUE(app.WaitExit(5));
    EXPECT_FALSE(PathPresent("c:\\Qg_Data\\systemf.dat"));
    EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), script);
    EXPECT_EQ(::GetFileAttributesA("c:\\autoexec.bat") & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(ReadFileBytes("c:\\qg_data\\vhod.dll"), qg::ScramblePassword("NewPass1"));
}
