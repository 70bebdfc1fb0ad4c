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

} // namespace qg
