/*
 * End-to-end tests of Apply with "Yes": what the installation makes of the boot script and the
 * boot folder, and what the user is told when a step fails.
 */
#include "tests/e2e/E2eCommon.h"

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
        EXPECT_TRUE(app.WaitExit(15)) << c.name;
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
    // second Apply finishes the installation.
    const std::string script = "@echo off\r\n";
    const struct {
        const char* name;
        const char* file;     // the file in the way
        DWORD share;          // held open with this sharing; ~0u: made read-only instead
        std::string message;
        const char* status;   // on the home window afterwards
    } cases[] = {
        {"program in use", "c:\\Qg_Data\\qg.exe", FILE_SHARE_READ,
         "c:\\qg_data\\qg.exe could not be copied from c:\\qgtest\\app\\qg.exe because another "
         "program is using it.",
         "Quillgate is active."},
        {"read-only program", "c:\\Qg_Data\\rb.com", ~0u,
         "c:\\qg_data\\rb.com could not be copied from c:\\qgtest\\app\\rb.com because access to "
         "it was denied (it may be read-only).",
         "Quillgate is active."},
        {"read-only boot script", "c:\\autoexec.bat", ~0u,
         "c:\\autoexec.bat could not be changed because it is read-only.", "Not Active"},
        {"boot script in use", "c:\\autoexec.bat", 0,
         "c:\\autoexec.bat could not be read because another program is using it. The line "
         "c:\\Qg_Data\\qg.exe was not added to it.",
         "Not Active"},
    };
    for (const auto& c : cases) {
        WriteFileBytes("c:\\autoexec.bat", script);
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
        Sleep(0.5);
        EXPECT_TRUE(app.Running()) << c.name;
        EXPECT_TRUE(::IsWindowVisible(home)) << c.name;
        EXPECT_EQ(ReadHome(home).status, c.status) << c.name;
        // The steps that could run did; nothing half-done is left behind.
        EXPECT_EQ(ReadFileBytes("c:\\qg_data\\vhod.dll"), qg::ScramblePassword("NewPass1")) << c.name;
        for (const char* leftover : {"c:\\qg_data\\vhod.new", "c:\\qg_data\\qg.new",
                                     "c:\\qg_data\\rb.new", "c:\\autotemp", "c:\\autoexec.qgb"})
            EXPECT_FALSE(PathPresent(leftover)) << c.name << ": " << leftover;

        if (handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
        EXPECT_EQ(ReadFileBytes(c.file), held) << c.name; // the obstacle itself is untouched
        ::SetFileAttributesA(c.file, FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(ApplyYes(app, home, "NewPass2")) << c.name;
        ExpectMessage(app, qg::Messages::SettingsSaved);
        EXPECT_TRUE(app.WaitExit(15)) << c.name;
        EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), script + Line + "\r\n") << c.name;
        ExpectBootFolderFilled(app, "NewPass2");
        CleanDriveC();
    }
}
