/*
 * Asking for the new boot password (see PasswordEntry.h).
 */
#include "lockconfig/PasswordEntry.h"

#include "lockconfig/Password.h"
#include "support/InputBox.h"
#include "support/Timing.h"

namespace qg {

namespace {

constexpr char InputTitle[] = "Enter Password";

// Shows the message for a refused entry; true when the outcome selects "No".
bool Refuse(HWND owner, PasswordVerdict verdict) {
    switch (verdict) {
    case PasswordVerdict::Empty:
        return true;
    case PasswordVerdict::TooLong:
        ::MessageBoxA(owner, "Password is more than 15 characters, please try again",
                      "Invalid Password", MB_OK | MB_ICONINFORMATION);
        return true;
    case PasswordVerdict::Forbidden:
        ::MessageBoxA(owner,
                      "Password cannot contain spaces or any other special characters, please use "
                      "numbers and letters for the password.",
                      "Password Error", MB_OK | MB_ICONERROR);
        return false;
    case PasswordVerdict::Accepted:
        break;
    }
    return false;
}

} // namespace

PasswordRequest RequestNewPassword(HWND owner) {
    PasswordRequest request;
    SecretString first =
        InputBox(owner, InputTitle, "Please enter your password (Max 15 characters)");
    PasswordVerdict verdict = CheckPassword(first.str());
    if (verdict != PasswordVerdict::Accepted) {
        request.selectNo = Refuse(owner, verdict);
        return request;
    }
    Wait(0.4);
    SecretString confirmation = InputBox(owner, InputTitle, "Confirm password");
    verdict = CheckPassword(confirmation.str());
    if (verdict != PasswordVerdict::Accepted) {
        request.selectNo = Refuse(owner, verdict);
        return request;
    }
    if (confirmation.str() != first.str()) {
        ::MessageBoxA(owner, "Passwords do not match, please try again.", "Quillgate",
                      MB_OK | MB_ICONINFORMATION);
        request.selectNo = true;
        return request;
    }
    request.password = std::move(confirmation);
    return request;
}

} // namespace qg
