/*
 * The keyboard check: which password characters sit elsewhere than on the US layout, which is
 * the only one there is while CONFIG.SYS runs (KEYB comes later).
 */
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qg {

// Where a character sits on a keyboard: the scan code of its key, and the shift state in
// VkKeyScan's bits (1 Shift, 2 Ctrl, 4 Alt; AltGr is Ctrl+Alt).
struct KeyStroke {
    unsigned char scanCode = 0;
    unsigned char shift = 0;
    bool operator==(const KeyStroke& other) const {
        return scanCode == other.scanCode && shift == other.shift;
    }
};
// A keyboard layout: where it puts a character, or nothing when it has no key for it.
using KeyLayout = std::function<std::optional<KeyStroke>(char)>;

// A row of keys: the scan code of its first key, its characters unshifted and with Shift.
struct KeyRow {
    unsigned char firstScanCode;
    const char* plain;
    const char* shifted;
};
std::optional<KeyStroke> FindKeyInRows(const std::vector<KeyRow>& rows, char c);

// The US layout of the BIOS, which the boot prompt has before KEYB loads.
std::optional<KeyStroke> UsKeyStroke(char c);

// The password's characters that `layout` puts on another key or shift state than the US
// layout does, each once, in the password's order. Empty: the prompt before KEYB can take it.
std::string CharactersTypedDifferently(const std::string& password, const KeyLayout& layout);

// The same for the keyboard layout Windows is using (KeyboardCheckHere.cpp).
std::string CharactersTypedDifferentlyHere(const std::string& password);

} // namespace qg
