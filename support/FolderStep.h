/*
 * Judging a folder step by what is on disk after it, not by its error code. DOS answers "make
 * a folder that exists" and "remove a folder that is not empty" with "access denied", and
 * Windows 95/98 pass DOS's answers on in places where NT and Wine say "already exists" or "not
 * empty". No window system here; the two attribute values are Windows' own.
 */
#pragma once

#include <cstdint>

namespace qg {

constexpr std::uint32_t NoSuchPath = 0xFFFFFFFFu; // INVALID_FILE_ATTRIBUTES
constexpr std::uint32_t FolderAttribute = 0x10u;  // FILE_ATTRIBUTE_DIRECTORY

enum class FolderResult {
    Done,        // the folder is there (made) or gone (removed)
    LeftInPlace, // removal: something else is still in it, as intended
    Failed,
};

// CreateDirectory's error (0 when it succeeded) and the path's attributes after the call.
FolderResult JudgeFolderCreated(std::uint32_t error, std::uint32_t attributesAfter);

// RemoveDirectory's error (0 when it succeeded), the path's attributes after the call, and
// whether the folder still holds any entry (hidden ones included).
FolderResult JudgeFolderRemoved(std::uint32_t error, std::uint32_t attributesAfter,
                                bool holdsEntries);

} // namespace qg
