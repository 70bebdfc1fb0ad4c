/*
 * qgdrive: drives quillgate.exe from the command line, for ./run's screenshot walk and for the
 * tests that boot an installation on DOS.
 *   qgdrive click "<window caption>" "<control caption>"   clicks a control of a visible window
 *   qgdrive wait "<window caption>"   waits up to 20 s for a visible window with that caption
 *   qgdrive -desktop NAME ...    the same, on the Wine virtual desktop NAME
 *   qgdrive install <password>   starts the program, selects Yes, applies and types the password
 *                                twice, answers No to closing the start-up keys, and waits for
 *                                "Settings saved, thank you." and the end
 *   qgdrive install-strong <password>   the same, answering Yes: the strong lock
 *   qgdrive remove               starts the program, selects No, applies, and waits the same
 *   qgdrive leftovers            prints the scratch and backup names of the program's swaps
 */
#include "lockconfig/FileSwap.h"
#include "lockconfig/Messages.h"
#include "tests/driver/Driver.h"

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

const char HomeCaption[] = "Quillgate v1.0 Build 05";

struct Find {
    const char* caption;
    HWND found;
};

BOOL CALLBACK ByCaption(HWND hwnd, LPARAM lParam) {
    auto* find = reinterpret_cast<Find*>(lParam);
    if (::IsWindowVisible(hwnd) && qgtest::Text(hwnd) == find->caption) {
        find->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

int ClickControl(const char* window, const char* control) {
    Find find{window, nullptr};
    ::EnumWindows(ByCaption, reinterpret_cast<LPARAM>(&find));
    HWND button = find.found ? qgtest::Child(find.found, control) : nullptr;
    if (!button) {
        std::fprintf(stderr, "qgdrive: no control \"%s\" in a window \"%s\"\n", control, window);
        return 1;
    }
    qgtest::Click(button);
    return 0;
}

int WaitWindow(const char* caption) {
    for (int tenths = 0; tenths < 200; ++tenths) {
        Find find{caption, nullptr};
        ::EnumWindows(ByCaption, reinterpret_cast<LPARAM>(&find));
        if (find.found)
            return 0;
        qgtest::Sleep(0.1);
    }
    std::fprintf(stderr, "qgdrive: no window \"%s\"\n", caption);
    return 1;
}

int Fail(const char* what) {
    std::fprintf(stderr, "qgdrive: %s\n", what);
    return 1;
}

// Applies "Yes" with the password, or "No" when there is none; `strong` answers the question
// about the start-up keys with Yes.
int Apply(const char* password, bool strong = false) {
    qgtest::App app;
    HWND home = app.WaitWindow(HomeCaption, 15);
    if (!home)
        return Fail("the home window did not open");
    HWND option = qgtest::Child(home, password ? "Yes" : "No");
    HWND apply = qgtest::Child(home, "&Apply");
    if (!option || !apply)
        return Fail("no Yes/No option or Apply button");
    qgtest::Click(option);
    qgtest::Click(apply);
    if (password && !qgtest::AnswerInputBox(app, qg::PasswordPrompt, password))
        return Fail("no password box");
    if (password && !qgtest::AnswerInputBox(app, qg::ConfirmPasswordPrompt, password))
        return Fail("no confirmation box");
    HWND box = app.WaitMessageBox(15);
    if (!box)
        return Fail("no message after the password");
    qgtest::MessageBoxInfo info = qgtest::ReadMessageBox(box);
    if (info.text.rfind(qg::Messages::CloseStartupKeys.text, 0) == 0) {
        qgtest::PressButton(box, strong ? IDYES : IDNO);
        box = app.WaitMessageBox(15);
        if (!box)
            return Fail("no message after the question");
        info = qgtest::ReadMessageBox(box);
    } else if (strong) {
        return Fail("the question about the start-up keys did not come");
    }
    if (info.text != qg::Messages::SettingsSaved.text) {
        std::fprintf(stderr, "qgdrive: message \"%s\": \"%s\"\n", info.title.c_str(),
                     info.text.c_str());
        return 1;
    }
    qgtest::PressOk(box);
    if (!app.WaitExit(10))
        return Fail("the program did not end after the message");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "-desktop") == 0) {
        // Windows on another desktop are not listed to this thread until it joins that desktop.
        HDESK desk = ::OpenDesktopA(argv[2], 0, FALSE, GENERIC_ALL);
        if (!desk || !::SetThreadDesktop(desk)) {
            std::fprintf(stderr, "qgdrive: cannot join the desktop %s (%lu)\n", argv[2],
                         ::GetLastError());
            return 1;
        }
        argc -= 2;
        argv += 2;
    }
    try {
        if (argc == 4 && std::strcmp(argv[1], "click") == 0)
            return ClickControl(argv[2], argv[3]);
        if (argc == 3 && std::strcmp(argv[1], "wait") == 0)
            return WaitWindow(argv[2]);
        if (argc == 3 && std::strcmp(argv[1], "install") == 0)
            return Apply(argv[2]);
        if (argc == 3 && std::strcmp(argv[1], "install-strong") == 0)
            return Apply(argv[2], true);
        if (argc == 2 && std::strcmp(argv[1], "remove") == 0)
            return Apply(nullptr);
        if (argc == 2 && std::strcmp(argv[1], "leftovers") == 0) {
            for (const qg::SwappedFile* file : qg::SwappedFiles)
                std::printf("%s\n%s\n", file->scratch, file->backup);
            return 0;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qgdrive: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: qgdrive click <window caption> <control caption>\n"
                         "       qgdrive wait <window caption>\n"
                         "       qgdrive install <password>\n"
                         "       qgdrive install-strong <password>\n"
                         "       qgdrive remove\n"
                         "       qgdrive leftovers\n");
    return 2;
}
