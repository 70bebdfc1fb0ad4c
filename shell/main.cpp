/*
 * Entry point of quillgate.exe. The program takes no arguments and keeps no settings.
 */
#include "lockconfig/Messages.h"
#include "lockconfig/StartupKeySteps.h"
#include "lockconfig/FileSwap.h"
#include "shell/Application.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // A floppy drive without a disk must give a false presence test, not a system error box.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // One copy at a time: a second one's start-up recovery could delete the first one's scratch
    // file in the middle of its swap (Windows 95 deletes even an open file). Held until the end.
    ::CreateMutexA(nullptr, FALSE, "Quillgate.Running");
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        qg::ShowMessage(nullptr, qg::Messages::AlreadyRunning);
        return 0;
    }
    // Before anything reads the boot script, CONFIG.SYS or MSDOS.SYS: an interrupted swap
    // leaves a backup to put back.
    qg::RecoverSwappedFiles();
    qg::RecoverHostFiles();
    qg::Application app(qg::ApplicationFolder());
    return app.Run();
}
