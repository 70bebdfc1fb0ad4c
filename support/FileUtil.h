/*
 * File-system helpers: the presence tests the windows and the lock configuration share, and
 * whole-file reads and checked writes. Every file step here and in lockconfig/SafeFiles.h
 * returns the Win32 error code of the call that failed, or 0 (NO_ERROR) when it succeeded.
 */
#pragma once

#include <windows.h>

#include <string>

namespace qg {

// True when a plain file matches the path (wildcards allowed in its last part). Hidden,
// system and directory entries never match; read-only and archived files do. Every error
// (bad name, missing folder, drive not ready) is false. A path ending in a separator searches
// the folder's contents.
bool FileExists(const std::string& path);

// True when the folder holds at least one plain file (as FileExists sees files). A "/" is
// appended unless the path already ends in one; an empty or file path gives false.
bool FolderExists(const std::string& path);

// Attributes of a file or folder, whatever they are; INVALID_FILE_ATTRIBUTES when absent.
DWORD PathAttributes(const std::string& path);

// True when a file (of any attributes, not a folder) is at the path.
bool AnyFileExists(const std::string& path);

// Reads a whole file into bytes (left empty on failure).
[[nodiscard]] DWORD ReadWholeFile(const std::string& path, std::string& bytes);

// Creates or truncates the file, writes all bytes, flushes them to disk and closes it, so
// on success the bytes are on the disk. A short write or a failed flush is a failure.
[[nodiscard]] DWORD WriteFileDurably(const std::string& path, const std::string& bytes);

// Deletes a file; a file that is not there is not a failure.
[[nodiscard]] DWORD DeleteFileIfPresent(const std::string& path);

// Deletes a file of the lock's own whatever its attributes (a copy from a CD is read-only);
// a file that is not there is not a failure.
[[nodiscard]] DWORD DeleteOwnFile(const std::string& path);

// Deletes a leftover file of our own, as DeleteOwnFile, when nothing depends on the result.
void DiscardFile(const std::string& path);

// Commits a file and its directory entry to disk (Windows 95/98 write both on a flush).
[[nodiscard]] DWORD FlushFile(const std::string& path);

// True when the folder holds any entry besides "." and "..", hidden ones included.
bool FolderHoldsEntries(const std::string& path);

// Why a file step failed, in plain words, to follow "because": "the disk is full", "another
// program is using it", ... Empty when nothing useful is known. Given the path, a refusal
// (Windows 95/98 answer "access denied" for a read-only file, a folder in the way, a full root
// folder and a file in use by a DOS window alike) says what the disk shows there instead.
std::string DescribeFileError(DWORD error, const std::string& path = std::string());

} // namespace qg
