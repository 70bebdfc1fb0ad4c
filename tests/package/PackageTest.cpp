/*
 * The installer under Wine, on the test machine's drive C:: a silent install puts the programs,
 * the Start-menu shortcut and the uninstall entry in place and Quillgate runs from there; the
 * uninstaller takes them away again and never touches the lock, and warns when it is active.
 */
#include "lockconfig/BootFiles.h"
#include "tests/driver/Driver.h"

#include <gtest/gtest.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#ifndef QG_PACKAGE_DIR
#error QG_PACKAGE_DIR must name the folder of the packages
#endif

using namespace qgtest;

namespace {

constexpr char Home[] = "Quillgate v1.0 Build 05";
constexpr char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillgate";
constexpr char WarningPart[] = "boot password lock is still active";

std::string SetupExe() {
    return HostPath(QG_PACKAGE_DIR "/Quillgate-1.0-setup.exe");
}

std::string Bin(const char* name) {
    return BinFolder() + "\\" + name;
}

std::string InstallFolder() {
    char folder[MAX_PATH] = {};
    ::SHGetSpecialFolderPathA(nullptr, folder, CSIDL_PROGRAM_FILES, FALSE);
    return std::string(folder) + "\\Quillgate";
}

std::string Shortcut() {
    char folder[MAX_PATH] = {};
    ::SHGetSpecialFolderPathA(nullptr, folder, CSIDL_COMMON_PROGRAMS, FALSE);
    return std::string(folder) + "\\Quillgate.lnk";
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

template <class Done>
bool WaitUntil(Done done, double seconds) {
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < seconds * 1000; ::Sleep(100))
        if (done())
            return true;
    return done();
}

bool WaitGone(const std::string& path, double seconds) {
    return WaitUntil([&] { return !PathPresent(path); }, seconds);
}

std::string RegistryValue(const char* name, bool* present = nullptr) {
    HKEY key;
    if (present)
        *present = false;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    char value[1024] = {};
    DWORD size = sizeof value - 1, type = 0;
    const LONG read = ::RegQueryValueExA(key, name, nullptr, &type,
                                         reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(key);
    if (read != ERROR_SUCCESS)
        return {};
    if (present)
        *present = true;
    return value;
}

bool UninstallKeyPresent() {
    HKEY key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

struct LinkInfo {
    std::string target, folder;
};

LinkInfo ReadShortcut(const std::string& path) {
    LinkInfo info;
    IShellLinkA* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link))))
        return info;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::wstring wide(path.begin(), path.end());
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
            char buffer[MAX_PATH] = {};
            if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, 0)))
                info.target = buffer;
            buffer[0] = 0;
            if (SUCCEEDED(link->GetWorkingDirectory(buffer, MAX_PATH)))
                info.folder = buffer;
        }
        file->Release();
    }
    link->Release();
    return info;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The lock as the configuration program leaves it: the boot-script line and the boot folder.
void LayOutActiveLock(const std::string& script) {
    WriteFileBytes(qg::BootScriptPath, script);
    ::CreateDirectoryA(qg::BootFolderPath, nullptr);
    WriteFileBytes(qg::PasswordFilePath, "\x38\x0e\x08");
    WriteFileBytes(qg::BootProgramTarget, ReadFileBytes(Bin("qg.exe")));
    WriteFileBytes(qg::RebootProgramTarget, ReadFileBytes(Bin("rb.com")));
}

class Package : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    void SetUp() override {
        Clean();
        ASSERT_TRUE(PathPresent(SetupExe())) << SetupExe();
    }
    void TearDown() override { Clean(); }

    static void Clean() {
        CleanDriveC();
        const std::string uninstaller = InstallFolder() + "\\uninstall.exe";
        if (PathPresent(uninstaller)) {
            Process run(Quoted(uninstaller) + " /S");
            run.WaitExit(30);
            WaitGone(uninstaller, 30);
        }
        RemovePath(InstallFolder());
        RemovePath(Shortcut());
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
    }

    static void InstallSilently() {
        Process setup(Quoted(SetupExe()) + " /S");
        DWORD code = STILL_ACTIVE;
        setup.WaitExit(120, &code);
        ASSERT_EQ(code, 0u);
    }
};

} // namespace

TEST_F(Package, SilentInstallRunsAndSilentUninstallLeavesTheLock) {
    InstallSilently();
    const std::string folder = InstallFolder();
    EXPECT_EQ(ReadFileBytes(folder + "\\qg.exe"), ReadFileBytes(Bin("qg.exe")));
    EXPECT_EQ(ReadFileBytes(folder + "\\rb.com"), ReadFileBytes(Bin("rb.com")));
    for (const char* name : {"quillgate.exe", "README.txt", "uninstall.exe"})
        EXPECT_TRUE(PathPresent(folder + "\\" + name)) << name;

    const LinkInfo link = ReadShortcut(Shortcut());
    EXPECT_EQ(Lower(link.target), Lower(folder + "\\quillgate.exe")) << Shortcut();
    EXPECT_EQ(Lower(link.folder), Lower(folder));

    EXPECT_EQ(RegistryValue("DisplayName"), "Quillgate 1.0");
    EXPECT_EQ(Lower(RegistryValue("UninstallString")), Lower(Quoted(folder + "\\uninstall.exe")));

    // Started as the shortcut starts it, it finds qg.exe and rb.com and reads the lock.
    const std::string script = "@echo off\r\nc:\\Qg_Data\\qg.exe\r\nwin\r\n";
    LayOutActiveLock(script);
    {
        Process app(Quoted(link.target), link.folder);
        HWND home = app.WaitWindowWith(Home, 15);
        ASSERT_NE(home, nullptr) << "no home window (a message box instead?)";
        EXPECT_NE(Child(home, "Quillgate is active."), nullptr);
    }

    const std::string files[] = {"c:\\Qg_Data\\vhod.dll", "c:\\Qg_Data\\qg.exe",
                                 "c:\\Qg_Data\\rb.com"};
    std::vector<std::string> before;
    for (const std::string& f : files)
        before.push_back(ReadFileBytes(f));
    // The uninstaller copies itself away and ends at once; the copy does the work, and takes
    // the uninstall entry away as its last step: only then is the rest looked at.
    Process uninstall(Quoted(folder + "\\uninstall.exe") + " /S");
    uninstall.WaitExit(30);
    EXPECT_TRUE(WaitUntil([] { return !UninstallKeyPresent(); }, 60))
        << "uninstall entry still there";
    EXPECT_FALSE(PathPresent(folder)) << "install folder still there";
    EXPECT_FALSE(PathPresent(Shortcut()));
    EXPECT_EQ(ReadFileBytes("c:\\autoexec.bat"), script);
    for (std::size_t i = 0; i < before.size(); ++i) {
        bool present = false;
        EXPECT_EQ(ReadFileBytes(files[i], &present), before[i]) << files[i];
        EXPECT_TRUE(present) << files[i];
    }
}

TEST_F(Package, UninstallerWarnsOnlyWhenTheBootScriptRunsTheLock) {
    InstallSilently();
    const std::string folder = InstallFolder();
    const struct {
        const char* script; // nullptr: no boot script
        bool warns;
    } cases[] = {
        {"@echo off\r\nC:\\QG_DATA\\QG.EXE\r\nwin\r\n", true},
        {"@echo off\r\nc:\\Qg_Data\\qg.exe", true},   // last line without a line end
        {"path c:\\dos\nc:\\qg_data\\qg.exe\n", true}, // LF only
        {"c:\\Qg_Data\\qg.exe\x1a", true},              // end-of-file mark right after it
        {" c:\\Qg_Data\\qg.exe\r\n", false},
        {"c:\\Qg_Data\\qg.exe /x\r\n", false},
        {"rem c:\\Qg_Data\\qg.exe\r\n", false},
        {"@echo off\r\n\x1a\r\nc:\\Qg_Data\\qg.exe\r\n", false}, // after the end-of-file mark
        {"", false},
        {nullptr, false},
    };
    for (const auto& c : cases) {
        const std::string label = c.script ? c.script : "(no boot script)";
        CleanDriveC();
        if (c.script)
            WriteFileBytes("c:\\autoexec.bat", c.script);
        // _?= keeps the uninstaller in its folder and in this process, so it can be watched.
        Process uninstall(Quoted(folder + "\\uninstall.exe") + " _?=" + folder);
        HWND shown = uninstall.WaitWindowWith(c.warns ? WarningPart : "&Uninstall", 15);
        ASSERT_NE(shown, nullptr) << label;
        EXPECT_EQ(uninstall.WaitWindowWith(WarningPart, 0.5) != nullptr, c.warns) << label;
        // Cancel, on the warning or on the first page: nothing is removed.
        ::PostMessageA(shown, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(uninstall.WaitExit(15)) << label;
        EXPECT_TRUE(PathPresent(folder + "\\quillgate.exe")) << label;
        EXPECT_TRUE(UninstallKeyPresent()) << label;
    }
}
