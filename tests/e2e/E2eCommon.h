/*
 * What the end-to-end tests share: the fixture that clears drive C:, reading the home window,
 * answering and checking message boxes, and the usual steps of an Apply.
 */
#pragma once

#include "lockconfig/BootFiles.h"
#include "lockconfig/Messages.h"
#include "lockconfig/Password.h"
#include "support/InputBox.h"
#include "tests/driver/Driver.h"

#include <gtest/gtest.h>

#include <string>

namespace e2e {

using namespace qgtest;

constexpr char Home[] = "Quillgate v1.0 Build 05";
constexpr const char* Line = qg::BootScriptLine;
constexpr const char* FirstPrompt = qg::PasswordPrompt;
constexpr const char* ConfirmPrompt = qg::ConfirmPasswordPrompt;
constexpr const char* Saved = qg::Messages::SettingsSaved.text;
// The head of a failure report, before its first failed step.
const std::string NotSaved = std::string(qg::Messages::SettingsNotSaved.text) + "\r\n\r\n";

class E2e : public ::testing::Test {
protected:
    void SetUp() override { CleanDriveC(); }
    void TearDown() override { CleanDriveC(); }
};

struct HomeState {
    std::string status;
    bool yes, no;
};

inline HomeState ReadHome(HWND home) {
    HWND status = Child(home, "Not Active");
    if (!status)
        status = Child(home, "Quillgate is active.");
    if (!status)
        status = Child(home, "Quillgate is damaged.");
    return {Text(status), Checked(Child(home, "Yes")), Checked(Child(home, "No"))};
}

// Checks the message box that is up (or comes up) and presses its OK.
inline void ExpectMessage(App& app, const char* title, const std::string& text, const char* icon) {
    HWND box = app.WaitMessageBox();
    ASSERT_NE(box, nullptr) << "no message box for: " << text;
    const MessageBoxInfo info = ReadMessageBox(box);
    EXPECT_EQ(info.title, title);
    EXPECT_EQ(info.text, text);
    // The icon is compared as it is painted, which comes a moment after the box shows.
    std::string shown;
    WaitUntil(Patience, [&] { return !(shown = MessageBoxIcon(box)).empty(); });
    EXPECT_EQ(shown, icon) << text;
    EXPECT_TRUE(PressOk(box)) << "the box stayed: " << text;
}

// The same for a message of the program's table; `text` when it was made at run time.
inline void ExpectMessage(App& app, const qg::Message& message, const std::string& text = "") {
    ExpectMessage(app, message.title, text.empty() ? message.text : text,
                  message.icon == qg::MessageIcon::Error      ? "error"
                  : message.icon == qg::MessageIcon::Question ? "question"
                                                              : "information");
}

// Answers the question about the start-up keys when it comes up, and leaves any other box (the
// closing message) to the caller. True when it was asked.
inline bool AnswerKeysQuestion(App& app, bool closeKeys) {
    HWND box = app.WaitMessageBox();
    // The question's end names what stays open on the drive at hand.
    if (!box || ReadMessageBox(box).text.rfind(qg::Messages::CloseStartupKeys.text, 0) != 0)
        return false;
    EXPECT_TRUE(PressButton(box, closeKeys ? IDYES : IDNO));
    return true;
}

// The home window once the splash has gone; null when it never came.
inline HWND OpenHome(App& app) {
    return app.WaitWindow(Home);
}

// Presses Caps Lock as a keyboard does, with the window in front, so its thread's key state
// follows; the program reads the toggle through GetKeyState.
inline void PressCapsLock(HWND window) {
    ::SetForegroundWindow(window);
    ::keybd_event(VK_CAPITAL, 0x3A, 0, 0);
    ::keybd_event(VK_CAPITAL, 0x3A, KEYEVENTF_KEYUP, 0);
}

// Selects "Yes", presses Apply and gives the same password in both boxes; answers the question
// about the start-up keys, when it comes, with No (the ordinary lock) unless `closeKeys`.
inline bool ApplyYes(App& app, HWND home, const std::string& password, bool closeKeys = false) {
    Click(Child(home, "Yes"));
    Click(Child(home, "&Apply"));
    if (!AnswerInputBox(app, FirstPrompt, password) ||
        !AnswerInputBox(app, ConfirmPrompt, password))
        return false;
    AnswerKeysQuestion(app, closeKeys);
    return true;
}

inline void ApplyNo(HWND home) {
    Click(Child(home, "No"));
    Click(Child(home, "&Apply"));
}

// Lays out an installed lock without the program: the boot folder with a password file and
// programs of an earlier installation.
inline void LayOutInstalledFolder(const std::string& oldPassword) {
    ::CreateDirectoryA("c:\\Qg_Data", nullptr);
    WriteFileBytes("c:\\Qg_Data\\vhod.dll", qg::ScramblePassword(oldPassword));
    WriteFileBytes("c:\\Qg_Data\\qg.exe", "old qg");
    WriteFileBytes("c:\\Qg_Data\\rb.com", "old rb");
}

// The boot folder holds exactly what a complete installation of this password writes.
inline void ExpectBootFolderFilled(const App& app, const std::string& password) {
    bool present = false;
    EXPECT_EQ(ReadFileBytes("c:\\qg_data\\vhod.dll", &present), qg::ScramblePassword(password));
    EXPECT_TRUE(present);
    for (const char* name : {"\\qg.exe", "\\rb.com"}) {
        const std::string source = ReadFileBytes(app.Folder() + name);
        const std::string copy = std::string("c:\\qg_data") + name;
        EXPECT_FALSE(source.empty()) << name;
        EXPECT_EQ(ReadFileBytes(copy), source) << name;
        // Writable, even when the program's own files came read-only from a CD.
        EXPECT_FALSE(::GetFileAttributesA(copy.c_str()) & FILE_ATTRIBUTE_READONLY) << name;
    }
    for (const char* leftover : {qg::PasswordTempPath, qg::PasswordNewPath, qg::BootProgramTemp,
                                 qg::RebootProgramTemp, qg::ScratchFilePath,
                                 qg::BootScriptBackupPath})
        EXPECT_FALSE(PathPresent(leftover)) << leftover;
}

} // namespace e2e
