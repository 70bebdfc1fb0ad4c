/*
 * The keyboard check against the US layout (see KeyboardCheck.h).
 */
#include "lockconfig/KeyboardCheck.h"

namespace qg {

std::optional<KeyStroke> FindKeyInRows(const std::vector<KeyRow>& rows, char c) {
    for (const unsigned char shift : {0, 1}) {
        for (const KeyRow& row : rows) {
            const std::string keys = shift ? row.shifted : row.plain;
            const std::size_t at = keys.find(c);
            if (at != std::string::npos)
                return KeyStroke{static_cast<unsigned char>(row.firstScanCode + at), shift};
        }
    }
    return std::nullopt;
}

std::optional<KeyStroke> UsKeyStroke(char c) {
    static const std::vector<KeyRow> us = {
        {0x02, "1234567890-=", "!@#$%^&*()_+"},
        {0x10, "qwertyuiop[]", "QWERTYUIOP{}"},
        {0x1E, "asdfghjkl;'`", "ASDFGHJKL:\"~"},
        {0x2B, "\\zxcvbnm,./", "|ZXCVBNM<>?"},
        {0x39, " ", ""},
    };
    return FindKeyInRows(us, c);
}

std::string CharactersTypedDifferently(const std::string& password, const KeyLayout& layout) {
    std::string differ;
    for (const char c : password) {
        if (differ.find(c) != std::string::npos)
            continue;
        const std::optional<KeyStroke> here = layout(c), us = UsKeyStroke(c);
        if (!here || !us || !(*here == *us))
            differ += c;
    }
    return differ;
}

} // namespace qg
