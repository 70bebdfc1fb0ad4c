/*
 * Password rules and scrambling (see Password.h).
 */
#include "Password.h"

#include <cstring>

namespace qg {

PasswordVerdict CheckPassword(const std::string& entry) {
    if (entry.empty())
        return PasswordVerdict::Empty;
    if (entry.size() > MaxPasswordLength)
        return PasswordVerdict::TooLong;
    for (const char* forbidden = ForbiddenPasswordCharacters; *forbidden; ++forbidden) {
        if (entry.find(*forbidden) != std::string::npos)
            return PasswordVerdict::Forbidden;
    }
    for (unsigned char c : entry) {
        if (c < 0x21 || c > 0x7E)
            return PasswordVerdict::Forbidden;
    }
    return PasswordVerdict::Accepted;
}

std::string ScramblePassword(const std::string& password) {
    const unsigned key = static_cast<unsigned char>(PasswordKey[0]);
    std::string scrambled;
    scrambled.reserve(password.size());
    for (unsigned char c : password)
        scrambled.push_back(static_cast<char>(c ^ key));
    return scrambled;
}

void WipeString(std::string& text) {
    // The whole buffer, not just the current length: a moved-from or shortened string keeps old
    // bytes past its end. Through a volatile pointer, so the stores are not dropped as dead.
    text.resize(text.capacity());
    volatile char* p = text.empty() ? nullptr : &text[0];
    for (std::size_t i = 0; i < text.size(); ++i)
        p[i] = 0;
    text.clear();
}

} // namespace qg
