/*
 * Password rules and scrambling: what a boot password may hold, and how it is stored for the
 * DOS-side program. Pure functions on single-byte text, no window system.
 */
#pragma once

#include "lockconfig/Contract.h"

#include <cstddef>
#include <string>

namespace qg {

constexpr std::size_t MaxPasswordLength = QG_MAX_PASSWORD_LENGTH;

// The characters a password may not hold, in the order they are tested.
constexpr char ForbiddenPasswordCharacters[] = " /\\*-+.,(){};:[]_&!`~#$%^<>?=@|";

// The key byte of the password file: each stored byte is the password byte XOR this code.
constexpr char PasswordKey[] = QG_PASSWORD_KEY;

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

} // namespace qg
