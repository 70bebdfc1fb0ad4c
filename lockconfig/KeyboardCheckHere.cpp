/*
 * The keyboard check against the layout Windows is using (see KeyboardCheck.h).
 */
#include "lockconfig/KeyboardCheck.h"

#include <windows.h>

namespace qg {

std::string CharactersTypedDifferentlyHere(const std::string& password) {
    const KeyLayout windows = [](char c) -> std::optional<KeyStroke> {
        // The thread's keyboard layout, which is the one the user types with.
        const SHORT key = ::VkKeyScanA(c);
        if (key == -1)
            return std::nullopt;
        const UINT scanCode = ::MapVirtualKeyA(LOBYTE(key), 0);
        if (scanCode == 0 || scanCode > 0xFF)
            return std::nullopt;
        // Shift, Ctrl and Alt; higher bits are for keyboards that DOS has no prompt for.
        return KeyStroke{static_cast<unsigned char>(scanCode),
                         static_cast<unsigned char>(HIBYTE(key) & 7)};
    };
    return CharactersTypedDifferently(password, windows);
}

} // namespace qg
