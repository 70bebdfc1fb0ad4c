/*
 * Drives the real quillgate.exe as a user or an automation tool would: lays out an application
 * folder, starts the program, finds its windows by caption, reads and clicks controls, types,
 * reads message boxes and waits for the end of the process. No hooks in the program.
 */
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qgtest {

// Files on drive C: of the test machine.
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path, bool* exists = nullptr);
bool PathPresent(const std::string& path);
void RemovePath(const std::string& path); // file or folder tree, whatever its attributes
// Removes the boot script, the boot folder, CONFIG.SYS, MSDOS.SYS, the DOS start-up files the
// program looks at, and the scratch files.
void CleanDriveC();

// A host path as Wine's programs see it (drive Z: is the host's root).
std::string HostPath(const std::string& path);
// The build's folder of quillgate.exe, qg.exe and rb.com, as a Windows path.
std::string BinFolder();

// How long a wait for something the program is to do may last: a machine busy with other
// work runs Wine's start-up and the program's steps many times slower. Waits end as soon as
// what they wait for is there, so only a failing test waits this long.
constexpr double Patience = 60;

// A started program: its process, and its windows as a user sees them.
class Process {
public:
    // Starts the command line in the folder (the current one when empty); throws when it cannot.
    explicit Process(const std::string& command, const std::string& folder = "");
    ~Process(); // ends the program if it still runs
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // A visible top-level window with this caption (not a message box); null after the timeout.
    HWND WaitWindow(const std::string& caption, double seconds = Patience) const;
    // A message box (class #32770) that is whole, neither being built nor closing; null after
    // the timeout.
    HWND WaitMessageBox(double seconds = Patience) const;
    // A visible top-level window whose own text or a child's text holds `part`.
    HWND WaitWindowWith(const std::string& part, double seconds) const;
    std::vector<HWND> VisibleWindows() const;
    bool WaitExit(double seconds, DWORD* code = nullptr);
    bool Running() const;
    void Kill();
    DWORD Pid() const { return m_pi.dwProcessId; }
    HANDLE Handle() const { return m_pi.hProcess; }

private:
    PROCESS_INFORMATION m_pi = {};
};

// How quillgate.exe is laid out and started.
struct AppSetup {
    bool withRb = true;
    bool withQg = true;
    bool readOnlyPrograms = false; // qg.exe and rb.com read-only, as copied from a CD
    // The Windows that Wine reports to the program: the lock is for Windows 95/98.
    const char* windows = "win98";
};

// quillgate.exe started from an application folder of the test's own.
class App : public Process {
public:
    // Lays out c:\qgtest\app with quillgate.exe and the chosen DOS-side programs, and starts it.
    explicit App(const AppSetup& setup = AppSetup());

    std::string Folder() const { return AppFolder; }

private:
    static constexpr char AppFolder[] = "c:\\qgtest\\app";
    // Lays out the folder; returns the command line that starts the program there.
    static std::string LayOut(const AppSetup& setup);
};

std::string Text(HWND window);
HWND Child(HWND parent, const std::string& caption); // searched in the whole tree
bool Checked(HWND button);
void Click(HWND button);
void Type(HWND edit, const std::string& text);
void PressKey(HWND target, UINT vk);

struct MessageBoxInfo {
    std::string title, text;
};
// The box's title and text once they have settled.
MessageBoxInfo ReadMessageBox(HWND box);
// "error", "information" or "question" from the pixels of the box's icon; "" when neither matches.
std::string MessageBoxIcon(HWND box);
// Presses OK and waits until the box has gone (false when it stayed).
bool PressOk(HWND box);
// The same with the box's button of this id (IDYES, IDNO).
bool PressButton(HWND box, int id);

// The program's input box ("Enter Password") showing this prompt; null when none came.
HWND WaitInputBox(const App& app, const std::string& prompt);
// Answers the program's input box: types the text, presses OK (or Cancel when cancel) and
// waits until the box is gone.
bool AnswerInputBox(const App& app, const std::string& prompt, const std::string& text,
                    bool cancel = false);

void Sleep(double seconds);
// Polls `condition` until it holds (true) or `seconds` have passed (false).
bool WaitUntil(double seconds, const std::function<bool()>& condition);
// Sends the message and waits for the window to handle it; false when it did not in 5 s.
bool SendNow(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr);

} // namespace qgtest
