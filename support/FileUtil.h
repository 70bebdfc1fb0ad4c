/*
 * File-system helpers: the presence tests the windows and the lock configuration share, and
 * whole-file reads and checked writes that report the Win32 error of the step that failed.
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

// Reads a whole file. On failure returns false and sets error to the Win32 error code.
bool ReadWholeFile(const std::string& path, std::string& bytes, DWORD& error);

// Creates or truncates the file, writes all bytes, flushes them to disk and closes it.
// Any short write or failed flush is a failure; error then holds the Win32 error code.
bool WriteWholeFile(const std::string& path, const std::string& bytes, DWORD& error);

// Deletes a file; a file that is not there is not a failure.
bool DeleteFileIfPresent(const std::string& path, DWORD& error);

// Deletes a leftover file of our own, clearing a read-only or hidden attribute first; a file
// that is not there is not a failure.
void DiscardFile(const std::string& path);

// Why a file step failed, in plain words, to follow "could not be ...": "because it is
// read-only", "because another program is using it", ... Empty when nothing useful is known.
std::string DescribeFileError(DWORD error);

} // namespace qg
