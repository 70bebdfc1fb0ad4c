/*
 * Folder steps judged by the disk (see FolderStep.h).
 */
#include "support/FolderStep.h"

namespace qg {

namespace {

// INVALID_FILE_ATTRIBUTES has the folder bit set too: a missing path must not read as a folder.
bool IsFolder(std::uint32_t attributes) {
    return attributes != NoSuchPath && (attributes & FolderAttribute) != 0;
}

} // namespace

FolderResult JudgeFolderCreated(std::uint32_t error, std::uint32_t attributesAfter) {
    return error == 0 || IsFolder(attributesAfter) ? FolderResult::Done : FolderResult::Failed;
}

FolderResult JudgeFolderRemoved(std::uint32_t error, std::uint32_t attributesAfter,
                                bool holdsEntries) {
    // Gone, or never a folder of ours: a file of that name holds none of the lock's files.
    if (error == 0 || !IsFolder(attributesAfter))
        return FolderResult::Done;
    return holdsEntries ? FolderResult::LeftInPlace : FolderResult::Failed;
}

} // namespace qg
