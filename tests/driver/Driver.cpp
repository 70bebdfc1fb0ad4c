/*
 * The end-to-end driver (see Driver.h).
 */
#include "tests/driver/Driver.h"

#include "lockconfig/BootFiles.h"
#include "lockconfig/FileSwap.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <utility>

#ifndef QG_BIN_DIR
#error QG_BIN_DIR must name the folder of the built programs
#endif

namespace qgtest {

namespace {

struct Search {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && ::IsWindowVisible(hwnd))
        search->found.push_back(hwnd);
    return TRUE;
}

std::string ClassOf(HWND hwnd) {
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return name;
}

// Whether any window below `parent`, at any depth, satisfies `test`.
template <typename F> bool AnyDescendant(HWND parent, F test) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (test(child) || AnyDescendant(child, test))
            return true;
    return false;
}

// The window `find` returns, polled until it is not null or the time is up (null then).
template <typename F> HWND Poll(double seconds, F find) {
    HWND found = nullptr;
    WaitUntil(seconds, [&] { return (found = find()) != nullptr; });
    return found;
}

} // namespace

void Sleep(double seconds) {
    ::Sleep(static_cast<DWORD>(seconds * 1000));
}

bool WaitUntil(double seconds, const std::function<bool()>& condition) {
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(seconds * 1000);
    for (;;) {
        if (condition())
            return true;
        if (static_cast<LONG>(::GetTickCount() - end) > 0)
            return false;
        ::Sleep(20);
    }
}

bool SendNow(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    DWORD_PTR answer = 0;
    const bool handled = ::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                               5000, &answer) != 0;
    if (result)
        *result = static_cast<LRESULT>(answer);
    return handled;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        throw std::runtime_error("cannot write " + path);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string ReadFileBytes(const std::string& path, bool* exists) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (exists)
        *exists = f != nullptr;
    if (!f)
        return {};
    std::string bytes;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, got);
    std::fclose(f);
    return bytes;
}

bool PathPresent(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemovePath(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..")
                RemovePath(path + "\\" + name);
        } while (::FindNextFileA(find, &found));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(path.c_str());
}

void CleanDriveC() {
    for (const qg::SwappedFile* file : qg::SwappedFiles) {
        for (const char* path : {file->path, file->scratch, file->backup})
            RemovePath(path);
        // Scratch files of others that a swap moved out of its way.
        for (int n = 1; n <= 3; ++n)
            RemovePath(qg::NameBeside(file->scratch, n));
    }
    for (const char* path : {qg::BootFolderPath, "c:\\io.sys", "c:\\kernel.sys"})
        RemovePath(path);
}

std::string HostPath(const std::string& path) {
    std::string windows = "z:" + path;
    for (char& c : windows)
        if (c == '/')
            c = '\\';
    return windows;
}

std::string BinFolder() {
    return HostPath(QG_BIN_DIR);
}

Process::Process(const std::string& command, const std::string& folder) {
    // Now and then Wine's start of a process dies before the program's own code runs, and
    // CreateProcess says ERROR_INTERNAL_ERROR (seen on a loaded machine in the crash runs,
    // which start the program most). That start is tried again: the program itself never
    // ran, so nothing of it is hidden. Any other error, or the same one three times, fails.
    for (int attempt = 1;; ++attempt) {
        std::string line = command;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        if (::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                             folder.empty() ? nullptr : folder.c_str(), &si, &m_pi))
            return;
        const DWORD error = ::GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == 3)
            throw std::runtime_error("cannot start " + command + ": error " + std::to_string(error));
        std::fprintf(stderr, "Wine could not start %s (error %lu): once more\n", command.c_str(),
                     static_cast<unsigned long>(error));
        ::Sleep(500);
    }
}

Process::~Process() {
    Kill();
    ::CloseHandle(m_pi.hThread);
    ::CloseHandle(m_pi.hProcess);
}

App::App(const AppSetup& setup) : Process(LayOut(setup), AppFolder) {}

std::string App::LayOut(const AppSetup& setup) {
    const std::string folder = AppFolder;
    RemovePath(folder);
    ::CreateDirectoryA("c:\\qgtest", nullptr);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string bin = BinFolder();
    // The copy is checked and made again for a while: a program file that a copy just killed
    // still holds cannot be replaced yet, and a start of a stale or missing program would fail
    // far from its cause.
    const std::string exe = folder + "\\quillgate.exe";
    DWORD error = 0;
    if (!WaitUntil(30, [&] {
            if (::CopyFileA((bin + "\\quillgate.exe").c_str(), exe.c_str(), FALSE))
                return true;
            error = ::GetLastError();
            return false;
        }))
        throw std::runtime_error("cannot copy quillgate.exe to " + folder + ": error " +
                                 std::to_string(error));
    for (const auto& program : {std::make_pair(setup.withRb, "\\rb.com"),
                                std::make_pair(setup.withQg, "\\qg.exe")}) {
        if (!program.first)
            continue;
        const std::string target = folder + program.second;
        ::CopyFileA((bin + program.second).c_str(), target.c_str(), FALSE);
        if (setup.readOnlyPrograms)
            ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    // Wine reads the version it reports from here when the program starts.
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\quillgate.exe", 0,
                          nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot set the Windows version for quillgate.exe");
    ::RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(setup.windows),
                     static_cast<DWORD>(std::strlen(setup.windows) + 1));
    ::RegCloseKey(key);
    return "\"" + folder + "\\quillgate.exe\"";
}

std::vector<HWND> Process::VisibleWindows() const {
    Search search{m_pi.dwProcessId, {}};
    ::EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Process::WaitWindow(const std::string& caption, double seconds) const {
    return Poll(seconds, [&]() -> HWND {
        for (HWND h : VisibleWindows())
            if (Text(h) == caption && ClassOf(h) != "#32770")
                return h;
        return nullptr;
    });
}

namespace {

// A message box that is whole: Wine lists a box while it is still being built, and one that is
// closing stays listed for a moment with its texts already gone; both read as empty.
bool MessageBoxSettled(HWND h) {
    return ClassOf(h) == "#32770" && ::GetDlgItem(h, 0xFFFF) && ::IsWindowEnabled(h) &&
           !Text(h).empty();
}

} // namespace

HWND Process::WaitMessageBox(double seconds) const {
    return Poll(seconds, [&]() -> HWND {
        for (HWND h : VisibleWindows())
            if (MessageBoxSettled(h))
                return h;
        return nullptr;
    });
}

HWND Process::WaitWindowWith(const std::string& part, double seconds) const {
    auto holds = [&part](HWND window) { return Text(window).find(part) != std::string::npos; };
    return Poll(seconds, [&]() -> HWND {
        for (HWND h : VisibleWindows())
            if (holds(h) || AnyDescendant(h, holds))
                return h;
        return nullptr;
    });
}

bool Process::Running() const {
    return ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(double seconds, DWORD* code) {
    if (::WaitForSingleObject(m_pi.hProcess, static_cast<DWORD>(seconds * 1000)) != WAIT_OBJECT_0)
        return false;
    if (code)
        ::GetExitCodeProcess(m_pi.hProcess, code);
    return true;
}

void Process::Kill() {
    if (Running()) {
        ::TerminateProcess(m_pi.hProcess, 99);
        ::WaitForSingleObject(m_pi.hProcess, 30000);
    }
}

std::string Text(HWND window) {
    char buffer[1024] = {};
    ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                          SMTO_ABORTIFHUNG, 2000, nullptr);
    return buffer;
}

HWND Child(HWND parent, const std::string& caption) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (Text(child) == caption)
            return child;
        if (HWND inner = Child(child, caption))
            return inner;
    }
    return nullptr;
}

bool Checked(HWND button) {
    return ::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(HWND button) {
    ::PostMessageA(button, BM_CLICK, 0, 0);
}

void Type(HWND edit, const std::string& text) {
    for (unsigned char c : text)
        ::PostMessageA(edit, WM_CHAR, c, 1);
}

void PressKey(HWND target, UINT vk) {
    ::PostMessageA(target, WM_KEYDOWN, vk, 1);
    ::PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
}

MessageBoxInfo ReadMessageBox(HWND box) {
    // Read until two reads in a row agree and hold a text, so a box still being filled in is
    // not taken for an empty one; the last read after 5 s otherwise.
    MessageBoxInfo last;
    WaitUntil(5, [&] {
        const MessageBoxInfo now{Text(box), Text(::GetDlgItem(box, 0xFFFF))};
        const bool settled = !now.title.empty() && !now.text.empty() &&
                             now.title == last.title && now.text == last.text;
        last = now;
        return settled;
    });
    return last;
}

std::string MessageBoxIcon(HWND box) {
    // Another process cannot read an icon's bits under Wine; compare what is on screen with
    // the system icons drawn on the same background.
    HWND icon = ::GetDlgItem(box, 0x440);
    if (!icon)
        icon = ::GetDlgItem(box, 0x14);
    if (!icon)
        return {};
    RECT r;
    ::GetWindowRect(icon, &r);
    const int w = 32, h = 32;
    HDC screen = ::GetDC(nullptr);
    HDC shown = ::CreateCompatibleDC(screen);
    HBITMAP shownBits = ::CreateCompatibleBitmap(screen, w, h);
    ::SelectObject(shown, shownBits);
    ::BitBlt(shown, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    std::string kind;
    const struct {
        LPCSTR id;
        const char* name;
    } icons[] = {{reinterpret_cast<LPCSTR>(IDI_HAND), "error"},
                 {reinterpret_cast<LPCSTR>(IDI_ASTERISK), "information"},
                 {reinterpret_cast<LPCSTR>(IDI_QUESTION), "question"}};
    for (const auto& candidate : icons) {
        HDC drawn = ::CreateCompatibleDC(screen);
        HBITMAP drawnBits = ::CreateCompatibleBitmap(screen, w, h);
        ::SelectObject(drawn, drawnBits);
        RECT all = {0, 0, w, h};
        ::FillRect(drawn, &all, ::GetSysColorBrush(COLOR_BTNFACE));
        ::DrawIcon(drawn, 0, 0, ::LoadIconA(nullptr, candidate.id));
        bool same = true;
        for (int y = 0; y < h && same; ++y)
            for (int x = 0; x < w && same; ++x)
                same = ::GetPixel(drawn, x, y) == ::GetPixel(shown, x, y);
        ::DeleteDC(drawn);
        ::DeleteObject(drawnBits);
        if (same) {
            kind = candidate.name;
            break;
        }
    }
    ::DeleteDC(shown);
    ::DeleteObject(shownBits);
    ::ReleaseDC(nullptr, screen);
    return kind;
}

bool PressOk(HWND box) {
    return PressButton(box, ::GetDlgItem(box, IDOK) ? IDOK : IDCANCEL);
}

bool PressButton(HWND box, int id) {
    Click(::GetDlgItem(box, id));
    // The program goes on only once the box is gone; a caller that clicked on at once would
    // race it (a click on the home window lands while the box still holds it modal).
    return WaitUntil(20, [&] { return !::IsWindow(box) || !::IsWindowVisible(box); });
}

HWND WaitInputBox(const App& app, const std::string& prompt) {
    return Poll(Patience, [&]() -> HWND {
        for (HWND h : app.VisibleWindows())
            if (Text(h) == "Enter Password" && Child(h, prompt))
                return h;
        return nullptr;
    });
}

bool AnswerInputBox(const App& app, const std::string& prompt, const std::string& text, bool cancel) {
    HWND box = WaitInputBox(app, prompt);
    if (!box)
        return false;
    HWND edit = ::FindWindowExA(box, nullptr, "Edit", nullptr);
    Type(edit, text);
    Sleep(0.2);
    Click(::GetDlgItem(box, cancel ? IDCANCEL : IDOK));
    // Closing a captioned window can take Wine seconds (seen: two, under Xvfb); the program
    // goes on only once the box is gone, so the caller's next step starts from there.
    return Poll(Patience, [&]() -> HWND { return ::IsWindow(box) ? nullptr : box; }) != nullptr;
}

} // namespace qgtest
