/*
 * Which DOS boots this PC, judged from the files on the drives alone (never from the running
 * Windows, which may be another system of a dual boot), and so which start-up files the strong
 * lock edits and which ways past the prompt stay open whatever it writes.
 */
#pragma once

#include <string>
#include <vector>

namespace qg {

// What the root of a drive shows, as far as the judgement needs.
struct RootFiles {
    bool ioSys = false;
    std::string ioSysBytes;
    bool msdosSys = false;
    std::string msdosSysBytes;
    bool kernelSys = false;   // the FreeDOS kernel
    bool fdconfigSys = false; // FreeDOS 1.1 and later read it instead of CONFIG.SYS
    bool fdautoBat = false;   // and then usually start it instead of AUTOEXEC.BAT
    bool ibmbio = false;      // IBMBIO.COM or DRBIOS.SYS: PC DOS or DR-DOS
    std::string ibmbioBytes;
    bool dconfigSys = false;          // DR-DOS reads it before CONFIG.SYS
    bool compressionDriver = false;   // DBLSPACE.BIN or DRVSPACE.BIN, which IO.SYS loads
    bool compressedVolume = false;    // DBLSPACE.000 or DRVSPACE.000: this drive is a host
    std::string compressionIniName;   // "DRVSPACE.INI" or "DBLSPACE.INI" when there is one
};

enum class DosSystem { Windows9x, FreeDos, MsDos6, PcDos, DrDos, Other };

// A way past the prompt that the lock cannot close here.
enum class OpenWay {
    PreviousDos,   // Windows 95/98 set to start the earlier DOS (BootWin=0 with BootMulti=1)
    UnknownDos,    // no DOS that the lock knows boots from these files
    HostNotFound,  // C: is compressed and the drive with its start-up files was not found
    OwnStartupKeys, // PC DOS and DR-DOS: F5 and F8 stay, no /N is written for them
};

struct StartupJudgement {
    DosSystem system = DosSystem::Other;
    bool compressed = false; // C: is a compressed drive
    char systemDrive = 'C';  // the drive whose IO.SYS and MSDOS.SYS start the PC; 0: not found
    std::string configFile = "CONFIG.SYS"; // on C:, the one this DOS reads
    bool switchN = false;      // SWITCHES=/N in it
    bool msdosSys = false;     // BootKeys=0 and the rest in the text MSDOS.SYS on systemDrive
    std::string compressionIni;  // the compression driver's INI file on systemDrive, to get /N
    std::vector<OpenWay> openWays; // for the strong lock
    bool bootScriptRuns = true;    // the ordinary lock's line in c:\autoexec.bat runs at all:
                                   // not where FreeDOS starts FDAUTO.BAT instead
};

// The host drive that a text MSDOS.SYS names (HostWinBootDrv= in [Paths]), or 0 when it names
// none or C: itself.
char HostDriveNamed(const std::string& msdosSys);

// The judgement from drive C:'s files and, when C: is compressed, the host's (`host` is 0 when
// no host was found, and `hostFiles` then unused).
StartupJudgement JudgeStartup(const RootFiles& c, char host, const RootFiles& hostFiles);

// The judgement for this PC: C:'s files, and the host's when C: is compressed (named in C:'s
// MSDOS.SYS, or the fixed drive whose root holds the compressed volume). DosSystemHere.cpp.
StartupJudgement JudgeStartupHere();

} // namespace qg
