/*
 * End-to-end tests of the real program under Wine: start-up, the home window's status, and
 * Apply with "Yes" and "No", observed only through windows and files on drive C:.
 */
#include "tests/e2e/E2eCommon.h"

#include "support/WindowUtil.h"

#include <algorithm>
#include <stdexcept>

using namespace e2e;

namespace {

// IsWindowEnabled on another process's window lags behind under Wine (seen: two seconds);
// the style bit is current.
bool Enabled(HWND window) {
    return !(::GetWindowLongA(window, GWL_STYLE) & WS_DISABLED);
}

// A label's font as the windows are laid out. Wine passes no WM_GETFONT between processes, so
// the test names each label's font and makes it here; in the same Wine prefix it gets the same
// substitute for Verdana or MS Sans Serif as the program does, so it measures what is drawn.
struct LabelFont {
    const char* face;
    double points;
    bool bold, italic, underline;
};

struct LabelRow {
    std::string caption;
    LabelFont font;
    std::string alsoShows; // another caption the program gives the label, or ""
};

// Where a label's text is drawn, in its parent's client coordinates: the pixels that the
// caption inks when drawn as a STATIC draws it (wrapped at the label's width, aligned as its
// style says) but without the label's clipping, so what the label would cut off shows.
struct TextPlace {
    RECT ink;           // the box of the inked pixels
    RECT label;         // the label's client area
    SIZE parent;        // its parent's client size
    std::string face;   // the face the system really gave
};

TextPlace PlaceText(HWND label, const std::string& caption, const LabelFont& f) {
    TextPlace place = {};
    RECT client, parent;
    ::GetClientRect(label, &client);
    ::GetClientRect(::GetParent(label), &parent);
    place.label = client;
    ::MapWindowPoints(label, ::GetParent(label), reinterpret_cast<POINT*>(&place.label), 2);
    place.parent = {parent.right, parent.bottom};

    UINT align = DT_LEFT;
    switch (::GetWindowLongA(label, GWL_STYLE) & SS_TYPEMASK) {
    case SS_CENTER:
        align = DT_CENTER;
        break;
    case SS_RIGHT:
        align = DT_RIGHT;
        break;
    default:
        break;
    }
    // Room around the label for what spills out of it.
    const int margin = 4 * client.bottom + 40;
    const int width = client.right + 2 * margin, height = client.bottom + 2 * margin;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dc || !bitmap || !bits) {
        ADD_FAILURE() << "no bitmap to draw \"" << caption << "\" in";
        return place;
    }
    HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
    const qg::UniqueFont font = qg::MakeFont(f.face, f.points, f.bold, f.italic, f.underline);
    HGDIOBJ oldFont = ::SelectObject(dc, font.get());
    char face[LF_FACESIZE] = {};
    ::GetTextFaceA(dc, sizeof face, face);
    place.face = face;
    RECT all = {0, 0, width, height};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkMode(dc, TRANSPARENT);
    RECT text = {margin, margin, margin + client.right, margin + client.bottom};
    ::DrawTextA(dc, caption.c_str(), -1, &text,
                align | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_NOCLIP);
    ::GdiFlush();
    RECT ink = {width, height, 0, 0};
    const auto* pixel = static_cast<const DWORD*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((pixel[y * width + x] & 0xFFFFFF) != 0xFFFFFF) {
                ink.left = std::min<LONG>(ink.left, x);
                ink.top = std::min<LONG>(ink.top, y);
                ink.right = std::max<LONG>(ink.right, x + 1);
                ink.bottom = std::max<LONG>(ink.bottom, y + 1);
            }
    ::SelectObject(dc, oldFont);
    ::SelectObject(dc, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    EXPECT_LT(ink.left, ink.right) << "\"" << caption << "\" drew nothing";
    place.ink = {place.label.left + ink.left - margin, place.label.top + ink.top - margin,
                 place.label.left + ink.right - margin, place.label.top + ink.bottom - margin};
    return place;
}

void CollectLabels(HWND parent, std::vector<HWND>& labels) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[16] = {};
        ::GetClassNameA(child, name, sizeof name);
        const LONG kind = ::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK;
        if (lstrcmpiA(name, "Static") == 0 && kind != SS_ICON && kind != SS_BITMAP)
            labels.push_back(child);
        CollectLabels(child, labels);
    }
}

// Every label of the window is in the table, and each caption it shows stands whole inside
// the label and inside the window that holds it.
void ExpectLabelsFit(HWND window, const std::vector<LabelRow>& rows, const char* which) {
    std::vector<HWND> labels;
    CollectLabels(window, labels);
    EXPECT_FALSE(labels.empty()) << which;
    for (HWND label : labels) {
        const std::string caption = Text(label);
        std::vector<std::string> shownTexts;
        const LabelRow* row = nullptr;
        for (const LabelRow& r : rows)
            if (r.caption == caption) {
                row = &r;
                shownTexts.insert(shownTexts.end(), {r.caption, r.alsoShows});
            }
        if (!row) {
            ADD_FAILURE() << which << ": the label \"" << caption << "\" has no row in the table";
            continue;
        }
        for (const std::string& shown : shownTexts) {
            if (shown.empty())
                continue;
            const TextPlace p = PlaceText(label, shown, row->font);
            const RECT& in = p.ink;
            const std::string where = std::string(which) + ": \"" + shown + "\" in " +
                                      p.face + " inks " + std::to_string(in.left) + ".." +
                                      std::to_string(in.right) + " x " +
                                      std::to_string(in.top) + ".." + std::to_string(in.bottom) +
                                      "; the label holds " + std::to_string(p.label.left) +
                                      ".." + std::to_string(p.label.right) + " x " +
                                      std::to_string(p.label.top) + ".." +
                                      std::to_string(p.label.bottom) + ", its window " +
                                      std::to_string(p.parent.cx) + " x " +
                                      std::to_string(p.parent.cy);
            EXPECT_TRUE(in.left >= p.label.left && in.right <= p.label.right &&
                        in.top >= p.label.top && in.bottom <= p.label.bottom)
                << where << ": cut off by the label";
            EXPECT_TRUE(in.left >= 0 && in.right <= p.parent.cx && in.top >= 0 &&
                        in.bottom <= p.parent.cy)
                << where << ": cut off by its window";
        }
    }
}

} // namespace

TEST_F(E2e, LabelsHoldTheirCaptionsAndTheTitleReadsOnce) {
    const LabelFont verdana = {"Verdana", 8.25, false, false, false};
    const LabelFont verdanaBold = {"Verdana", 8.25, true, false, false};
    const LabelFont title = {"Verdana", 12, true, true, false};
    const LabelFont sansSerif = {"MS Sans Serif", 8.25, false, false, false};
    const std::vector<LabelRow> splash = {
        {"Build 05", {"Verdana", 11.25, true, false, false}, ""},
    };
    const std::vector<LabelRow> home = {
        {"Corvane Online", title, ""},
        {"Quillgate for DOS/Windows", verdanaBold, ""},
        {std::string("Visit our web site at ") + qg::VendorWebAddress, verdana, ""},
        {"Activate Quillgate at boot up?", verdanaBold, ""},
        {"Current status", verdanaBold, ""},
        {"Not Active", verdana, "Quillgate is active."},
        {"Not Active", verdana, "Quillgate is damaged."},
    };
    const std::vector<LabelRow> about = {
        {"Quillgate version 1.0", {"Verdana", 9, true, false, false}, ""},
        {"Version 1.0", sansSerif, ""},
        {"Build 5  (06-1-2008)", sansSerif, ""},
        {"Developed by Corvane", sansSerif, ""},
        {qg::VendorWebAddress, {"MS Sans Serif", 8.25, false, false, true}, ""},
    };
    App app;
    HWND splashWindow = app.WaitWindow("");
    ASSERT_NE(splashWindow, nullptr);
    ExpectLabelsFit(splashWindow, splash, "splash");
    HWND homeWindow = app.WaitWindow(Home);
    ASSERT_NE(homeWindow, nullptr);
    ExpectLabelsFit(homeWindow, home, "home");

    // The two title labels draw one title: their texts start within two pixels of each other.
    std::vector<HWND> labels, titles;
    CollectLabels(homeWindow, labels);
    for (HWND label : labels)
        if (Text(label) == "Corvane Online")
            titles.push_back(label);
    ASSERT_EQ(titles.size(), 2u);
    const TextPlace first = PlaceText(titles[0], "Corvane Online", title);
    const TextPlace second = PlaceText(titles[1], "Corvane Online", title);
    EXPECT_NEAR(first.ink.left, second.ink.left, 2) << "the title's two texts stand apart";
    EXPECT_NEAR(first.ink.top, second.ink.top, 2) << "the title's two texts stand apart";

    Click(Child(homeWindow, "Ab&out"));
    HWND aboutWindow = app.WaitWindow("About Quillgate");
    ASSERT_NE(aboutWindow, nullptr);
    ExpectLabelsFit(aboutWindow, about, "About");
}

TEST_F(E2e, SecondCopySaysQuillgateIsRunningAndEnds) {
    App app;
    HWND home = OpenHome(app);
    ASSERT_NE(home, nullptr);
    Process second(app.Folder() + "\\quillgate.exe", app.Folder());
    HWND box = second.WaitMessageBox();
    ASSERT_NE(box, nullptr);
    const MessageBoxInfo info = ReadMessageBox(box);
    EXPECT_EQ(info.text, qg::Messages::AlreadyRunning.text);
    EXPECT_EQ(second.VisibleWindows().size(), 1u); // no splash, no home window
    EXPECT_TRUE(PressOk(box));
    EXPECT_TRUE(second.WaitExit(Patience));
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(::IsWindowVisible(home));
}

TEST_F(E2e, MissingProgramFilesGiveOneMessageAndEnd) {
    const struct {
        bool rb, qg;
    } cases[] = {{false, true}, {true, false}, {false, false}};
    for (const auto& c : cases) {
        App app({c.rb, c.qg});
        HWND box = app.WaitMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(app.VisibleWindows().size(), 1u); // no other window ever shown
        ExpectMessage(app, qg::Messages::ProgramFilesNotFound);
        DWORD code = 1;
        EXPECT_TRUE(app.WaitExit(Patience, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(app.WaitMessageBox(0.5), nullptr);
    }
}

TEST_F(E2e, SplashIsCentredTopmostThenHomeOpens) {
    App app;
    HWND splash = app.WaitWindow("");
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(::GetWindowLongA(splash, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE((::GetWindowLongA(splash, GWL_STYLE) & WS_CAPTION) == WS_CAPTION);
    RECT r;
    ::GetWindowRect(splash, &r);
    EXPECT_NEAR((r.left + r.right) / 2.0, ::GetSystemMetrics(SM_CXSCREEN) / 2.0, 1.0);
    EXPECT_NEAR((r.top + r.bottom) / 2.0, ::GetSystemMetrics(SM_CYSCREEN) / 2.0, 1.0);
    const DWORD shown = ::GetTickCount();
    while (::IsWindowVisible(splash) && ::GetTickCount() - shown < 20000)
        Sleep(0.02);
    const DWORD up = ::GetTickCount() - shown;
    EXPECT_GE(up, 2800u); // about 3 seconds, seen from outside
    EXPECT_LE(up, 10000u); // and then goes: a loaded machine can hide it late
    HWND home = app.WaitWindow(Home);
    ASSERT_NE(home, nullptr);
    const HomeState state = ReadHome(home);
    EXPECT_EQ(state.status, "Not Active");
    EXPECT_TRUE(state.no);
    EXPECT_FALSE(state.yes);
}

TEST_F(E2e, StatusScanOfTheBootScript) {
    // The line is active only with qg.exe and a password file (the new one counts) to run.
    const struct {
        const char* script;
        bool folder;         // an installed boot folder
        const char* without; // a file taken out of it, or nullptr
        bool passwordAsNew;  // its password file renamed to the new password file
        const char* status;
        bool yes;
    } cases[] = {
        {"@echo off\r\nC:\\QG_DATA\\QG.EXE\r\nwin\r\n", true, nullptr, false,
         "Quillgate is active.", true},
        {" c:\\Qg_Data\\qg.exe\r\n", true, nullptr, false, "Not Active", false},
        {"c:\\Qg_Data\\qg.exe /x\r\n", true, nullptr, false, "Not Active", false},
        {"c:\\Qg_Data\\qg.exe\r\n", false, nullptr, false, "Quillgate is damaged.", true},
        {"c:\\Qg_Data\\qg.exe\r\n", true, "qg.exe", false, "Quillgate is damaged.", true},
        {"c:\\Qg_Data\\qg.exe\r\n", true, "vhod.dll", false, "Quillgate is damaged.", true},
        {"c:\\Qg_Data\\qg.exe\r\n", true, nullptr, true, "Quillgate is active.", true},
    };
    for (const auto& c : cases) {
        CleanDriveC();
        WriteFileBytes("c:\\autoexec.bat", c.script);
        if (c.folder)
            LayOutInstalledFolder("OldPass9");
        if (c.without)
            ::DeleteFileA((std::string("c:\\Qg_Data\\") + c.without).c_str());
        if (c.passwordAsNew)
            ::MoveFileA("c:\\Qg_Data\\vhod.dll", "c:\\Qg_Data\\vhod.new");
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
        EXPECT_TRUE(AnswerKeysQuestion(app, false)); // No: the lock as it always was
        ExpectMessage(app, qg::Messages::SettingsSaved);
        EXPECT_TRUE(app.WaitExit(Patience));
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
        EXPECT_TRUE(app.WaitExit(Patience));
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
        // The box says when Caps Lock is on, as the boot prompt does: the BIOS starts with it
        // off. The key is pressed as a keyboard would, so the box's own key state follows.
        HWND hint = Child(box, qg::CapsLockHint);
        ASSERT_NE(hint, nullptr) << prompt;
        const struct {
            bool press;
            bool shown;
        } caps[] = {{false, false}, {true, true}, {true, false}};
        for (const auto& c : caps) {
            if (c.press)
                PressCapsLock(box);
            EXPECT_TRUE(WaitUntil(Patience, [&] { return (::IsWindowVisible(hint) != FALSE) == c.shown; }))
                << prompt << ": Caps Lock " << (c.shown ? "on" : "off");
        }
        ASSERT_TRUE(AnswerInputBox(app, prompt, "Secret1", prompt == ConfirmPrompt)) << prompt;
    }
    EXPECT_EQ(app.WaitMessageBox(1.0), nullptr);
    EXPECT_FALSE(PathPresent("c:\\autoexec.bat"));
}

TEST_F(E2e, KeysTypedBetweenTheBoxesGoToTheConfirmation) {
    // A fast typist confirms during the pause before the second box is up: the keys, Enter
    // included, reach that box, not the home window.
    App app;
    HWND home = OpenHome(app);
    ASSERT_NE(home, nullptr);
    Click(Child(home, "Yes"));
    Click(Child(home, "&Apply"));
    ASSERT_TRUE(AnswerInputBox(app, FirstPrompt, "Quick7"));
    Type(home, "Quick7");
    PressKey(home, VK_RETURN);
    EXPECT_TRUE(AnswerKeysQuestion(app, false));
    ExpectMessage(app, qg::Messages::SettingsSaved);
    EXPECT_TRUE(app.WaitExit(Patience));
    ExpectBootFolderFilled(app, "Quick7");
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
        EXPECT_TRUE(app.Running()) << which;
        // No box of this Apply is left open: only the home window shows (Wine takes a moment
        // to take a closed box off the screen).
        WaitUntil(Patience, [&] { return app.VisibleWindows().size() == 1; });
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

// The shell opens an http address with the command that the registry gives for http. For the
// time of a test this command writes the address it is given to a file instead.
class RecordedBrowser {
public:
    static constexpr char File[] = "c:\\qgtest\\opened.txt";

    RecordedBrowser() {
        if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &m_key, nullptr) != ERROR_SUCCESS)
            throw std::runtime_error("cannot open the http command in the registry");
        DWORD size = sizeof m_saved;
        m_hadCommand = ::RegQueryValueExA(m_key, nullptr, nullptr, nullptr,
                                          reinterpret_cast<BYTE*>(m_saved), &size) == ERROR_SUCCESS;
        m_savedSize = size;
        Set(std::string("c:\\windows\\system32\\cmd.exe /c echo %1>") + File);
    }
    ~RecordedBrowser() {
        if (m_hadCommand)
            ::RegSetValueExA(m_key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(m_saved),
                             m_savedSize);
        else
            ::RegDeleteValueA(m_key, nullptr);
        ::RegCloseKey(m_key);
    }
    RecordedBrowser(const RecordedBrowser&) = delete;
    RecordedBrowser& operator=(const RecordedBrowser&) = delete;

    // The address opened since the last call, waiting up to 10 seconds for it; "" if none.
    std::string Opened() {
        std::string opened;
        for (int tries = 0; tries < 100 && opened.find('\n') == std::string::npos; ++tries) {
            Sleep(0.1);
            opened = ReadFileBytes(File);
        }
        ::DeleteFileA(File);
        return opened.substr(0, opened.find_first_of("\r\n"));
    }

private:
    void Set(const std::string& command) {
        ::RegSetValueExA(m_key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                         static_cast<DWORD>(command.size() + 1));
    }
    HKEY m_key = nullptr;
    char m_saved[1024] = {};
    DWORD m_savedSize = 0;
    bool m_hadCommand = false;
};

TEST_F(E2e, LinkLabelsOpenTheAddressThroughTheShell) {
    RecordedBrowser browser;
    const struct {
        const char* window; // the About window is opened from the home window
        std::string label;
    } links[] = {
        {Home, std::string("Visit our web site at ") + qg::VendorWebAddress},
        {"About Quillgate", qg::VendorWebAddress},
    };
    App app;
    HWND home = app.WaitWindow(Home);
    ASSERT_NE(home, nullptr);
    for (const auto& link : links) {
        HWND window = home;
        if (link.window != std::string(Home)) {
            Click(Child(home, "Ab&out"));
            window = app.WaitWindow(link.window);
            ASSERT_NE(window, nullptr) << link.window;
        }
        HWND label = Child(window, link.label);
        ASSERT_NE(label, nullptr) << link.label;
        ::PostMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        ::PostMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        EXPECT_EQ(browser.Opened(), qg::VendorWebAddress) << link.window;
    }
}

TEST_F(E2e, AboutDisablesHomeAndOkActivatesItAgain) {
    LayOutInstalledFolder("OldPass9"); // so the line shows as active
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
        EXPECT_TRUE(WaitUntil(Patience, [home] { return !Enabled(home); })) << c.how;
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
        EXPECT_TRUE(WaitUntil(Patience, [&] {
            return !::IsWindowVisible(about) && Enabled(home) &&
                   ReadHome(home).status == "Quillgate is active.";
        })) << c.how;
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
        EXPECT_TRUE(app.WaitExit(Patience, &code)) << c.file;
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
    // An earlier version's folder without qg.exe or a password file: Apply mends it.
    EXPECT_EQ(ReadHome(home).status, "Quillgate is damaged.");
    Click(Child(home, "&Apply"));
    ASSERT_TRUE(AnswerInputBox(app, FirstPrompt, "NewPass1"));
    ASSERT_TRUE(AnswerInputBox(app, ConfirmPrompt, "NewPass1"));
    EXPECT_TRUE(AnswerKeysQuestion(app, false));
    HWND saved = app.WaitMessageBox();
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(ReadMessageBox(saved).text, Saved);
    EXPECT_TRUE(PathPresent("c:\\Qg_Data\\systemf.dat")); // deleted only after OK
    PressOk(saved);
    EXPECT_TRUE(app.WaitExit(Patience));
    EXPECT_FALSE(PathPresent("c:\\Qg_Data\\systemf.dat"));
    EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), script);
    EXPECT_EQ(::GetFileAttributesA("c:\\autoexec.bat") & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(ReadFileBytes("c:\\qg_data\\vhod.dll"), qg::ScramblePassword("NewPass1"));
}
