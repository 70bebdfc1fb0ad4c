/*
 * Start-up and the end of the program (see Application.h).
 */
#include "shell/Application.h"

#include "lockconfig/BootFiles.h"
#include "lockconfig/Messages.h"
#include "shell/Container.h"
#include "support/FileUtil.h"
#include "support/MessageLoop.h"
#include "support/Timing.h"
#include "support/WindowUtil.h"

namespace qg {

namespace {

constexpr double SplashSeconds = 3.0;

} // namespace

std::string ApplicationFolder() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    const std::size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

Application::Application(std::string applicationFolder)
    : m_folder(std::move(applicationFolder)), m_home(*this), m_about(*this) {}

bool Application::ProgramFilesPresent() const {
    return FileExists(m_folder + RebootProgramSuffix) && FileExists(m_folder + BootProgramSuffix);
}

int Application::Run() {
    if (!RegisterContainerClasses() || !m_main.Create()) {
        ShowMessage(nullptr, Messages::WindowNotCreated);
        return 1;
    }
    if (!ProgramFilesPresent()) {
        ShowMessage(nullptr, Messages::ProgramFilesNotFound);
        DestroyWindows();
        return 0;
    }
    MakeTopmost(m_main.hwnd());
    CenterForm(m_main.hwnd());
    ::ShowWindow(m_main.hwnd(), SW_SHOW);
    ::UpdateWindow(m_main.hwnd());
    Wait(SplashSeconds);
    ::ShowWindow(m_main.hwnd(), SW_HIDE);

    if (!m_home.Create()) {
        ShowMessage(nullptr, Messages::WindowNotCreated);
        DestroyWindows();
        return 1;
    }
    m_home.Show();
    const int exitCode = RunMessageLoop();
    // After an unexpected failure the windows are still there; they go before their objects.
    DestroyWindows();
    return exitCode;
}

void Application::EndProgram(int exitCode) {
    DestroyWindows();
    // Leaves the message loop, also from inside a Wait: it passes the quit message on.
    ::PostQuitMessage(exitCode);
}

void Application::DestroyWindows() {
    for (HWND window : {m_about.hwnd(), m_home.hwnd(), m_main.hwnd()})
        if (window)
            ::DestroyWindow(window);
}

} // namespace qg
