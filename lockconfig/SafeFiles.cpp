/*
 * Crash-safe changes to the boot folder's files (see SafeFiles.h).
 */
#include "lockconfig/SafeFiles.h"

#include "support/FileUtil.h"
#include "support/Secret.h"

namespace qg {

DWORD ReplaceOwnFile(const std::string& from, const std::string& target) {
    if (const DWORD error = DeleteOwnFile(target))
        return error;
    if (!::MoveFileA(from.c_str(), target.c_str()))
        return ::GetLastError();
    return NO_ERROR;
}

DWORD WriteFileWhole(const std::string& target, const std::string& temp, const std::string& bytes) {
    DiscardFile(temp);
    DWORD error = WriteFileDurably(temp, bytes);
    if (!error)
        error = ReplaceOwnFile(temp, target);
    if (error) {
        DiscardFile(temp);
        return error;
    }
    std::string check;
    if (const DWORD readError = ReadWholeFile(target, check))
        return readError;
    const bool same = check == bytes;
    WipeString(check);
    return same ? NO_ERROR : ERROR_WRITE_FAULT;
}

DWORD CopyFileWhole(const std::string& source, const std::string& target, const std::string& temp) {
    std::string want, have;
    if (ReadWholeFile(source.c_str(), want) == NO_ERROR && AnyFileExists(target) &&
        ReadWholeFile(target, have) == NO_ERROR && want == have) {
        // The same program is there: leave it in place, so it is never missing even briefly.
        if (PathAttributes(target) & FILE_ATTRIBUTE_READONLY)
            ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        return NO_ERROR;
    }
    DiscardFile(temp);
    if (!::CopyFileA(source.c_str(), temp.c_str(), FALSE)) {
        const DWORD error = ::GetLastError();
        DiscardFile(temp);
        return error;
    }
    // CopyFile keeps the source's attributes, the read-only mark of a CD among them.
    ::SetFileAttributesA(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    // On disk and checked before it takes the old copy's place: after a power cut DOS would
    // otherwise run a program of the right size whose clusters were never written.
    DWORD error = FlushFile(temp);
    if (!error)
        error = ReadWholeFile(temp, have);
    if (!error && (want.empty() || have != want))
        error = ERROR_WRITE_FAULT;
    if (error) {
        DiscardFile(temp);
        return error;
    }
    if (const DWORD deleteError = DeleteOwnFile(target)) {
        DiscardFile(temp); // the old copy is still in its place
        return deleteError;
    }
    // The old copy is gone, or going once another program lets go of it (NT): from here on
    // the new copy may be the last one, so it stays under its temporary name if the rename
    // fails twice.
    if (::MoveFileA(temp.c_str(), target.c_str()))
        return NO_ERROR;
    error = ::GetLastError();
    if (::MoveFileA(temp.c_str(), target.c_str()))
        return NO_ERROR;
    return error;
}

} // namespace qg
