/*
 * A modal input box (Win32 has none): a title, a prompt, one single-line field that starts
 * empty, OK and Cancel. The field is masked, one mark per character, since it takes passwords.
 */
#pragma once

#include "support/Secret.h"

#include <windows.h>

#include <vector>

namespace qg {

// Shown in the box while Caps Lock is on: the BIOS starts with it off at boot, so a password
// typed with it on could not be typed at the boot prompt.
constexpr char CapsLockHint[] = "Caps Lock is on";

// Sets `answer` to the text typed, or to empty text when the box was cancelled (a cancel and an
// empty answer are one case). Placed as a standard input box: centred across the screen, a
// third of the way down. False when the box could not be shown at all. What was `typed`
// before the box came up (WaitKeepingTyped) goes into its field first, and is wiped.
[[nodiscard]] bool InputBox(HWND owner, const char* title, const char* prompt,
                            SecretString& answer, std::vector<MSG>* typed = nullptr);

} // namespace qg
