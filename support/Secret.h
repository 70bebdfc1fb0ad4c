/*
 * Password text that does not linger in memory: wiped when it is released. Pure C++, no
 * window system.
 */
#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace qg {

// Overwrites the whole buffer, not just the current length: a shortened string keeps old bytes
// past its end. Through a volatile pointer, so the stores are not dropped as dead.
inline void WipeString(std::string& text) {
    text.resize(text.capacity());
    volatile char* p = text.empty() ? nullptr : &text[0];
    for (std::size_t i = 0; i < text.size(); ++i)
        p[i] = 0;
    text.clear();
}

// Holds a password and wipes it when it goes out of scope. Not copyable, so no stray copy
// escapes the wiping; filled in place through buffer(), never by moving a plain string in
// (moving a short string copies its bytes and leaves them behind).
class SecretString {
public:
    SecretString() = default;
    SecretString(const SecretString&) = delete;
    SecretString& operator=(const SecretString&) = delete;
    SecretString(SecretString&& other) noexcept { swap(other); }
    SecretString& operator=(SecretString&& other) noexcept {
        swap(other);
        other.wipe();
        return *this;
    }
    ~SecretString() { wipe(); }

    const std::string& str() const { return m_text; }
    std::string& buffer() { return m_text; }
    bool empty() const { return m_text.empty(); }
    void wipe() { WipeString(m_text); }

private:
    void swap(SecretString& other) noexcept { m_text.swap(other.m_text); }
    std::string m_text;
};

} // namespace qg
