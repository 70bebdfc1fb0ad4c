/*
 * The program's message pump (see MessageLoop.h).
 */
#include "support/MessageLoop.h"

namespace qg {

namespace {

HWND TopLevelOf(HWND hwnd) {
    // GetAncestor is missing on Windows 95, so walk up by hand.
    while (hwnd && (::GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD))
        hwnd = ::GetParent(hwnd);
    return hwnd;
}

void Dispatch(MSG& msg) {
    HWND top = TopLevelOf(msg.hwnd);
    if (top && ::IsDialogMessageA(top, &msg))
        return;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
}

// True when the message is typing, kept (or, for a key that makes a character, translated
// into that character, which is queued next).
bool KeepTyped(const MSG& msg, std::vector<MSG>& typed) {
    switch (msg.message) {
    case WM_KEYDOWN:
        if (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)
            typed.push_back(msg);
        else
            ::TranslateMessage(&msg);
        return true;
    case WM_KEYUP:
        return true;
    case WM_CHAR:
        if (msg.wParam != '\r' && msg.wParam != '\n' && msg.wParam != '\t' && msg.wParam != 0x1B)
            typed.push_back(msg);
        return true;
    default:
        return false;
    }
}

} // namespace

bool PumpPendingMessages(std::vector<MSG>* typed) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (typed && KeepTyped(msg, *typed))
            continue;
        Dispatch(msg);
    }
    return true;
}

int RunMessageLoop() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        Dispatch(msg);
    return static_cast<int>(msg.wParam);
}

} // namespace qg
