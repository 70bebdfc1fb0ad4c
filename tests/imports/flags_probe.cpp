/*
 * Code that the flag check must refuse: a wait with QS_ALLINPUT, whose value in our headers
 * carries a bit of Windows XP, and a window style of Windows 2000 that is not on the list.
 * It is only read by the check, never built.
 */
#include <windows.h>

void Probe(HWND window) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    ::SetWindowLongA(window, GWL_EXSTYLE, WS_EX_LAYERED);
}
