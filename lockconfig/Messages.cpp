/*
 * Showing the program's messages (see Messages.h).
 */
#include "lockconfig/Messages.h"

namespace qg {

void ShowMessage(HWND owner, const Message& message) {
    ShowMessage(owner, message, message.text);
}

void ShowMessage(HWND owner, const Message& message, const std::string& text) {
    const UINT icon = message.icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION;
    ::MessageBoxA(owner, text.c_str(), message.title, MB_OK | icon);
}

} // namespace qg
