/*
 * File-system helpers (see FileUtil.h).
 */
#include "support/FileUtil.h"

#include "support/FolderStep.h"
#include "support/Handles.h"

static_assert(qg::NoSuchPath == INVALID_FILE_ATTRIBUTES, "FolderStep.h mirrors Windows' values");
static_assert(qg::FolderAttribute == FILE_ATTRIBUTE_DIRECTORY, "FolderStep.h mirrors Windows' values");

namespace qg {

namespace {

constexpr DWORD NotPlainFile =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

bool EndsWithSeparator(const std::string& path) {
    return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

// Name of the first plain file matching the pattern; empty when none matches or on any error.
std::string FirstPlainFile(std::string pattern) {
    // FindFirstFile rejects a trailing separator; a folder's contents are "folder\*".
    if (EndsWithSeparator(pattern))
        pattern += '*';
    WIN32_FIND_DATAA found;
    UniqueFind find(::FindFirstFileA(pattern.c_str(), &found));
    if (!find)
        return {};
    do {
        if ((found.dwFileAttributes & NotPlainFile) == 0)
            return found.cFileName;
    } while (::FindNextFileA(find.get(), &found));
    return {};
}

} // namespace

bool FileExists(const std::string& path) {
    if (path.empty())
        return false;
    return !FirstPlainFile(path).empty();
}

bool FolderExists(const std::string& path) {
    std::string search = path;
    if (search.empty() || search.back() != '/')
        search += '/';
    return !FirstPlainFile(search).empty();
}

DWORD PathAttributes(const std::string& path) {
    return ::GetFileAttributesA(path.c_str());
}

bool AnyFileExists(const std::string& path) {
    const DWORD attributes = PathAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return ::GetLastError();
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            const DWORD error = ::GetLastError();
            bytes.clear();
            return error;
        }
        if (got == 0)
            return NO_ERROR;
        bytes.append(buffer, got);
    }
}

DWORD WriteFileDurably(const std::string& path, const std::string& bytes) {
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return ::GetLastError();
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(bytes.size() - done);
        if (!::WriteFile(file.get(), bytes.data() + done, chunk, &wrote, nullptr))
            return ::GetLastError();
        if (wrote == 0)
            return ERROR_HANDLE_DISK_FULL;
        done += wrote;
    }
    if (!::FlushFileBuffers(file.get()))
        return ::GetLastError();
    HANDLE h = file.release();
    if (!::CloseHandle(h))
        return ::GetLastError();
    return NO_ERROR;
}

DWORD DeleteFileIfPresent(const std::string& path) {
    if (::DeleteFileA(path.c_str()))
        return NO_ERROR;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? NO_ERROR : error;
}

DWORD DeleteOwnFile(const std::string& path) {
    const DWORD attributes = PathAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return NO_ERROR;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileIfPresent(path);
}

void DiscardFile(const std::string& path) {
    (void)DeleteOwnFile(path);
}

DWORD FlushFile(const std::string& path) {
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return ::GetLastError();
    if (!::FlushFileBuffers(file.get()))
        return ::GetLastError();
    return NO_ERROR;
}

bool FolderHoldsEntries(const std::string& path) {
    WIN32_FIND_DATAA found;
    UniqueFind find(::FindFirstFileA((path + "\\*").c_str(), &found));
    if (!find)
        return false;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            return true;
    } while (::FindNextFileA(find.get(), &found));
    return false;
}

namespace {

// What the disk shows at a path that was refused.
std::string DescribeRefusal(const std::string& path) {
    if (path.empty())
        return "access to it was denied";
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return "its folder took no new file, as happens when the folder is full";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return "a folder of that name is in the way";
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return "it is read-only";
    return "another program, a DOS window perhaps, is using it";
}

} // namespace

std::string DescribeFileError(DWORD error, const std::string& path) {
    switch (error) {
    case ERROR_ACCESS_DENIED:
        return DescribeRefusal(path);
    case ERROR_WRITE_PROTECT:
        return "the disk is write-protected";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "another program is using it";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "the disk is full";
    case ERROR_FILE_NOT_FOUND:
        return "it was not found";
    case ERROR_PATH_NOT_FOUND:
        return "its folder was not found";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return "something of that name is in the way";
    default:
        return {};
    }
}

} // namespace qg
