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

} // namespace

bool PumpPendingMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
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
