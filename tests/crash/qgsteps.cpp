/*
 * qgsteps: the lock's installation and removal steps without a window, with the program's own
 * pauses, for the crash tests, which kill it at many moments and look at what each kill left.
 *   qgsteps install <password> <application folder> [close]   as Apply with "Yes"; with
 *                         "close", as answering Yes to closing the start-up keys
 *   qgsteps remove        as Apply with "No"
 *   qgsteps recover       the start-up recovery of the swapped files, as the program's start
 * Prints what the action reported; the exit code is 0 when it succeeded. As it begins, it sets
 * the event QG_STEPS_STARTED when one of that name exists: the crash tests time their kills
 * from there, as starting a process under Wine takes from a tenth of a second to more than one
 * second.
 */
#include "lockconfig/FileSwap.h"
#include "lockconfig/LockActions.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// The pauses take as long as the program's, without windows to keep live.
void SleepFor(double seconds) {
    ::Sleep(static_cast<DWORD>(seconds * 1000));
}

int Report(const qg::Outcome& outcome) {
    std::printf("%s\n", outcome.Message().c_str());
    return outcome.Succeeded() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (const HANDLE started = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, QG_STEPS_STARTED)) {
        ::SetEvent(started);
        ::CloseHandle(started);
    }
    // A floppy drive without a disk must give a false presence test, as in the program.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const char* action = argc > 1 ? argv[1] : "";
    if (std::strcmp(action, "install") == 0 && (argc == 4 || argc == 5)) {
        const bool close = argc == 5 && std::strcmp(argv[4], "close") == 0;
        qg::SecretString password;
        password.buffer() = argv[2];
        qg::RecoverSwappedFiles();
        return Report(qg::InstallLock(password, argv[3], SleepFor,
                                      close ? qg::StartupKeysChoice::Close
                                            : qg::StartupKeysChoice::LeaveAlone));
    }
    if (std::strcmp(action, "remove") == 0 && argc == 2) {
        qg::RecoverSwappedFiles();
        return Report(qg::RemoveLock(SleepFor));
    }
    if (std::strcmp(action, "recover") == 0 && argc == 2) {
        qg::RecoverSwappedFiles();
        return 0;
    }
    std::fprintf(stderr, "usage: qgsteps install <password> <folder> [close] | remove | "
                         "recover\n");
    return 2;
}
