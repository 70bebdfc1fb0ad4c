/*
 * Asking for the new boot password: the entry, a short pause, the confirmation, each checked,
 * with the fixed messages for a refused entry.
 */
#pragma once

#include "support/Secret.h"

#include <windows.h>

namespace qg {

struct PasswordRequest {
    SecretString password; // empty when the entry was refused or cancelled
    bool selectNo = false; // the outcome selects "No" on the home window
};

// An input box that could not be shown is reported here and leaves the selection alone.

PasswordRequest RequestNewPassword(HWND owner);

} // namespace qg
