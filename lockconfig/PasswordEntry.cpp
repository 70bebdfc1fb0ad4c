/*
 * Asking for the new boot password (see PasswordEntry.h).
 */
#include "lockconfig/PasswordEntry.h"

#include "lockconfig/Messages.h"
#include "lockconfig/Password.h"
#include "support/InputBox.h"
#include "support/MessageLoop.h"
#include "support/Timing.h"

namespace qg {

namespace {

// Shows the message for a refused entry; true when the outcome selects "No".
bool Refuse(HWND owner, PasswordVerdict verdict) {
    switch (verdict) {
    case PasswordVerdict::Empty:
        return true;
    case PasswordVerdict::TooLong:
        ShowMessage(owner, Messages::PasswordTooLong);
        return true;
    case PasswordVerdict::Forbidden:
        ShowMessage(owner, Messages::PasswordForbidden);
        return false;
    case PasswordVerdict::Accepted:
        break;
    }
    return false;
}

} // namespace

PasswordRequest RequestNewPassword(HWND owner) {
    PasswordRequest request;
    SecretString first;
    if (!InputBox(owner, PasswordInputTitle, PasswordPrompt, first)) {
        ShowMessage(owner, Messages::WindowNotCreated);
        return request;
    }
    PasswordVerdict verdict = CheckPassword(first.str());
    if (verdict != PasswordVerdict::Accepted) {
        request.selectNo = Refuse(owner, verdict);
        return request;
    }
    // What is typed during the pause belongs to the confirmation, not to the home window.
    std::vector<MSG> typed;
    WaitKeepingTyped(0.4, typed);
    SecretString confirmation;
    if (!InputBox(owner, PasswordInputTitle, ConfirmPasswordPrompt, confirmation, &typed)) {
        ShowMessage(owner, Messages::WindowNotCreated);
        return request;
    }
    verdict = CheckPassword(confirmation.str());
    if (verdict != PasswordVerdict::Accepted) {
        request.selectNo = Refuse(owner, verdict);
        return request;
    }
    if (confirmation.str() != first.str()) {
        ShowMessage(owner, Messages::PasswordsDiffer);
        request.selectNo = true;
        return request;
    }
    request.password = std::move(confirmation);
    return request;
}

} // namespace qg
