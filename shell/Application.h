/*
 * The program as a whole: its three windows, start-up, and the end of the program.
 */
#pragma once

#include "shell/frmAbout.h"
#include "shell/frmHome.h"
#include "shell/frmMain.h"

#include <string>

namespace qg {

class Application {
public:
    explicit Application(std::string applicationFolder);

    // Start-up: checks the program files, shows the splash, opens the home window, and runs
    // until the program ends; returns the exit code.
    int Run();

    // Ends the program: every window goes at once, the hidden splash and the About window too,
    // and the message loop ends. The caller returns straight away.
    void EndProgram(int exitCode = 0);

    // "rb.com" and then "qg.exe" lie in the application folder.
    bool ProgramFilesPresent() const;

    const std::string& Folder() const { return m_folder; }
    frmHome& Home() { return m_home; }
    frmAbout& About() { return m_about; }
    // The hidden splash window owns the About window, which keeps it out of the taskbar.
    HWND HiddenOwner() const { return m_main.hwnd(); }

private:
    void DestroyWindows();

    std::string m_folder;
    frmMain m_main;
    frmHome m_home;
    frmAbout m_about;
};

// The folder of the running executable, as the system reports it, without a final separator.
std::string ApplicationFolder();

} // namespace qg
