/*
 * A modal input box (Win32 has none): a title, a prompt, one single-line field that starts
 * empty, OK and Cancel. The field is masked, one mark per character, since it takes passwords.
 */
#pragma once

#include "support/Secret.h"

#include <windows.h>

namespace qg {

// Sets `answer` to the text typed, or to empty text when the box was cancelled (a cancel and an
// empty answer are one case). Placed as a standard input box: centred across the screen, a
// third of the way down. False when the box could not be shown at all.
[[nodiscard]] bool InputBox(HWND owner, const char* title, const char* prompt,
                            SecretString& answer);

} // namespace qg
