/*
 * Changing the boot folder's files so that a crash or power cut at any instant leaves a whole
 * file: each is written under a temporary name and renamed (Windows 95 has no MoveFileEx). The
 * files that others own too are swapped instead (FileSwap.h).
 */
#pragma once

#include <windows.h>

#include <string>

namespace qg {

// Moves `from` into the place of `target`, a file of the lock's own that goes first whatever
// its attributes. Windows 95/98 cannot rename over a file: for an instant only `from` is there.
[[nodiscard]] DWORD ReplaceOwnFile(const std::string& from, const std::string& target);

// Writes bytes to `target` through `temp` and a rename, so the target is absent or whole.
// Checked by reading back.
[[nodiscard]] DWORD WriteFileWhole(const std::string& target, const std::string& temp,
                                   const std::string& bytes);

// Copies source to target through temp and a rename, so the target is absent or whole, and
// writable (files copied from a CD are read-only). A target that already holds the source's
// bytes is kept. The copy is flushed and compared with the source before the rename; when the
// old copy went but the rename failed, the new copy is kept under the temporary name.
[[nodiscard]] DWORD CopyFileWhole(const std::string& source, const std::string& target,
                                  const std::string& temp);

} // namespace qg
