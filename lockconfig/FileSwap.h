/*
 * The one way the lock replaces a file of drive C: that others own too (the boot script,
 * CONFIG.SYS, MSDOS.SYS): the new text is written whole to a scratch file and flushed, the file
 * moves aside to a backup, the scratch file moves into its place and is flushed, and the backup
 * goes. Renames copy no data, so a crash or power cut at any instant leaves a whole file under
 * one of the three names, and the start-up recovery (SwapRecovery.h) puts it back in place.
 *
 * What differs between the files is a row of the table below; everything else is one code path.
 */
#pragma once

#include "lockconfig/BootFiles.h"
#include "lockconfig/Outcome.h"
#include "support/Timing.h"

#include <windows.h>

#include <string>

namespace qg {

struct SwappedFile {
    const char* path;
    const char* scratch; // the new text, whole, before it moves in
    const char* backup;  // the old text while the new one moves in
    // A read-only boot script was marked so by its owner and is not changed; a system file
    // (MSDOS.SYS is always read-only) loses the mark for the moves and gets it back.
    enum class ReadOnly { Refused, KeptThrough } readOnly;
    // Whose a scratch file found under `scratch` is: c:\autotemp was an earlier version's
    // scratch name too, so only a text a swap makes is ours; our other names are ours alone.
    enum class ScratchOwner { ByText, ByName } scratchOwner;
};

constexpr SwappedFile BootScriptFile{BootScriptPath, ScratchFilePath, BootScriptBackupPath,
                                     SwappedFile::ReadOnly::Refused,
                                     SwappedFile::ScratchOwner::ByText};
constexpr char ConfigSysPath[] = QG_CONFIG_SYS;
constexpr char MsdosSysPath[] = "c:\\msdos.sys";
constexpr SwappedFile ConfigSysFile{ConfigSysPath, "c:\\config.qgn", "c:\\config.qgb",
                                    SwappedFile::ReadOnly::KeptThrough,
                                    SwappedFile::ScratchOwner::ByName};
constexpr SwappedFile MsdosSysFile{MsdosSysPath, "c:\\msdos.qgn", "c:\\msdos.qgb",
                                   SwappedFile::ReadOnly::KeptThrough,
                                   SwappedFile::ScratchOwner::ByName};
// The configuration files that FreeDOS 1.1 and later, and DR-DOS, read instead of CONFIG.SYS
// where they exist.
constexpr SwappedFile FdconfigSysFile{"c:\\fdconfig.sys", "c:\\fdconfig.qgn", "c:\\fdconfig.qgb",
                                      SwappedFile::ReadOnly::KeptThrough,
                                      SwappedFile::ScratchOwner::ByName};
constexpr SwappedFile DconfigSysFile{"c:\\dconfig.sys", "c:\\dconfig.qgn", "c:\\dconfig.qgb",
                                     SwappedFile::ReadOnly::KeptThrough,
                                     SwappedFile::ScratchOwner::ByName};
// Every swapped file of drive C: the start-up recovery and the lists of leftovers go through
// these. (A compressed C:'s host files are found at run time: StartupKeySteps.h.)
constexpr const SwappedFile* SwappedFiles[] = {&BootScriptFile, &ConfigSysFile, &MsdosSysFile,
                                               &FdconfigSysFile, &DconfigSysFile};

// A swapped file as it is on disk, whatever its attributes.
struct FileOnDisk {
    bool present = false;
    bool readable = false;
    DWORD attributes = 0; // hidden, system, read-only and archive only
    DWORD readError = 0;
    std::string bytes;

    bool readOnly() const { return (attributes & FILE_ATTRIBUTE_READONLY) != 0; }
};
FileOnDisk ReadFileOnDisk(const SwappedFile& file);

// Finishes or undoes a swap of the file that was cut short, keeping a scratch file that is not
// the swap's. Returns why the file must not be changed yet, or "" when all is in order.
std::string RecoverSwap(const SwappedFile& file);
// The same for every swapped file: at start-up, before anything reads them.
void RecoverSwappedFiles();

// Puts right what an earlier swap left, moving a scratch file that is not the swap's aside
// under a free name (said in the outcome's notes), then reads the file. False, with the reason
// in the outcome, when the file must not be changed yet or cannot be read.
bool ReadSettled(const SwappedFile& file, FileOnDisk& found, Outcome& outcome);

// Why the file is not swapped whatever its text (a read-only boot script), or "".
std::string SwapRefusal(const SwappedFile& file, const FileOnDisk& old);

// Puts newText in the file's place with `attributes` (of those FileOnDisk keeps) and returns
// whether it did. `old` is the file as read through ReadSettled; when another program changed
// it since, its change is kept and nothing is swapped. With `seconds` above 0, `pause` takes
// that long before and after the swap. A refusal (SwapRefusal) or failure goes to the outcome, saying where the text
// is: in its place, unchanged, or (when it could not be put back) in the backup.
bool SwapFile(const SwappedFile& file, const FileOnDisk& old, const std::string& newText,
              DWORD attributes, double seconds, const Pause& pause, Outcome& outcome);

// The n-th name beside `path` for a file moved aside: the name without its extension, then
// ".001" to ".999".
inline std::string NameBeside(const std::string& path, int n) {
    const std::size_t folder = path.find_last_of("\\:");
    const std::size_t dot = path.find('.', folder == std::string::npos ? 0 : folder + 1);
    const char digits[] = {'.', static_cast<char>('0' + n / 100 % 10),
                           static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10),
                           '\0'};
    return path.substr(0, dot) + digits;
}
// The first of those that is free; empty when all are taken.
std::string FreeNameBeside(const std::string& path);

} // namespace qg
