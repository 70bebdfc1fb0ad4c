/*
 * Password rules and scrambling: what a boot password may hold, and how it is stored for the
 * DOS-side program. Pure functions on single-byte text, no window system.
 */
#pragma once

#include <cstddef>
#include <string>

namespace qg {

constexpr std::size_t MaxPasswordLength = 15;

// Tested in this order; the order decides nothing visible but is kept as documented.
constexpr char ForbiddenPasswordCharacters[] = " /\\*-+.,(){};:[]_&!`~#$%^<>?=@|";

// The key byte of the password file: each stored byte is the password byte XOR this code.
constexpr char PasswordKey[] = "k";

enum class PasswordVerdict {
    Accepted,
    Empty,       // also a cancelled input box
    TooLong,     // more than MaxPasswordLength characters
    Forbidden,   // a forbidden character, or one the boot prompt could not type
};

// Emptiness first, then length, then the characters, so an entry that breaks several rules
// gets the message of the first. Only printable ASCII (0x21..0x7E) can be typed at the BIOS
// prompt at boot, so anything else is refused with the forbidden characters.
PasswordVerdict CheckPassword(const std::string& entry);

// Byte i of the result is byte i of the password XOR the key; same length, same order.
std::string ScramblePassword(const std::string& password);

// Overwrites a string's bytes before it is released, so a password does not linger in memory.
void WipeString(std::string& text);

// Holds a password and wipes it when it goes out of scope.
class SecretString {
public:
    SecretString() = default;
    explicit SecretString(std::string text) : m_text(std::move(text)) {}
    SecretString(SecretString&& other) noexcept : m_text(std::move(other.m_text)) {
        WipeString(other.m_text);
    }
    SecretString& operator=(SecretString&& other) noexcept {
        if (this != &other) {
            WipeString(m_text);
            m_text = std::move(other.m_text);
            WipeString(other.m_text);
        }
        return *this;
    }
    SecretString(const SecretString&) = delete;
    SecretString& operator=(const SecretString&) = delete;
    ~SecretString() { WipeString(m_text); }

    const std::string& str() const { return m_text; }
    bool empty() const { return m_text.empty(); }

private:
    std::string m_text;
};

} // namespace qg
