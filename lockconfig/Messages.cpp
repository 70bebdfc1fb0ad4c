/*
 * Showing the program's messages (see Messages.h).
 */
#include "lockconfig/Messages.h"

namespace qg {

std::string KeyboardDiffersText(const std::string& characters) {
    std::string text = Messages::KeyboardDiffers.text;
    for (const char c : characters)
        (text += ' ') += c;
    return text + "\r\n\r\n" + Messages::KeyboardDiffersEnd;
}

std::string PasswordNotTypeableText(const std::string& characters) {
    std::string text = Messages::PasswordNotTypeable.text;
    for (const char c : characters)
        (text += ' ') += c;
    return text + "\r\n\r\n" + Messages::PasswordNotTypeableEnd;
}

void ShowMessage(HWND owner, const Message& message) {
    ShowMessage(owner, message, message.text);
}

namespace {

UINT IconFlag(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error:
        return MB_ICONERROR;
    case MessageIcon::Question:
        return MB_ICONQUESTION;
    case MessageIcon::Information:
        break;
    }
    return MB_ICONINFORMATION;
}

} // namespace

void ShowMessage(HWND owner, const Message& message, const std::string& text) {
    ::MessageBoxA(owner, text.c_str(), message.title, MB_OK | IconFlag(message.icon));
}

bool AskQuestion(HWND owner, const Message& message) {
    return AskQuestion(owner, message, message.text);
}

bool AskQuestion(HWND owner, const Message& message, const std::string& text) {
    return ::MessageBoxA(owner, text.c_str(), message.title,
                         MB_YESNO | IconFlag(message.icon)) == IDYES;
}

} // namespace qg
