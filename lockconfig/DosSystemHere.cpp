/*
 * The judgement of which DOS boots this PC, from the files on this PC's drives (DosSystem.h).
 */
#include "lockconfig/DosSystem.h"

#include "support/FileUtil.h"

#include <windows.h>

namespace qg {

namespace {

std::string OnDrive(char drive, const char* name) {
    return std::string(1, drive) + ":\\" + name;
}

// A start-up file's bytes; empty when it cannot be read, which judges it as unknown.
bool ReadIfThere(const std::string& path, std::string& bytes) {
    if (!AnyFileExists(path))
        return false;
    if (ReadWholeFile(path, bytes) != NO_ERROR)
        bytes.clear();
    return true;
}

RootFiles ReadRootFiles(char drive) {
    RootFiles root;
    root.ioSys = ReadIfThere(OnDrive(drive, "io.sys"), root.ioSysBytes);
    root.msdosSys = ReadIfThere(OnDrive(drive, "msdos.sys"), root.msdosSysBytes);
    root.kernelSys = AnyFileExists(OnDrive(drive, "kernel.sys"));
    root.fdconfigSys = AnyFileExists(OnDrive(drive, "fdconfig.sys"));
    root.fdautoBat = AnyFileExists(OnDrive(drive, "fdauto.bat"));
    root.ibmbio = ReadIfThere(OnDrive(drive, "ibmbio.com"), root.ibmbioBytes) ||
                  ReadIfThere(OnDrive(drive, "drbios.sys"), root.ibmbioBytes);
    root.dconfigSys = AnyFileExists(OnDrive(drive, "dconfig.sys"));
    root.compressionDriver = AnyFileExists(OnDrive(drive, "drvspace.bin")) ||
                             AnyFileExists(OnDrive(drive, "dblspace.bin"));
    root.compressedVolume = AnyFileExists(OnDrive(drive, "drvspace.000")) ||
                            AnyFileExists(OnDrive(drive, "dblspace.000"));
    for (const char* ini : {"DRVSPACE.INI", "DBLSPACE.INI"}) {
        if (root.compressionIniName.empty() && AnyFileExists(OnDrive(drive, ini)))
            root.compressionIniName = ini;
    }
    return root;
}

// A fixed drive whose root holds a compressed volume and start-up files: C:'s host.
char FindHostDrive() {
    const DWORD drives = ::GetLogicalDrives();
    for (char drive = 'D'; drive <= 'Z'; ++drive) {
        if (!(drives & (1u << (drive - 'A'))) ||
            ::GetDriveTypeA(OnDrive(drive, "").c_str()) != DRIVE_FIXED)
            continue;
        const RootFiles root = ReadRootFiles(drive);
        if (root.compressedVolume && (root.ioSys || root.msdosSys))
            return drive;
    }
    return 0;
}

} // namespace

StartupJudgement JudgeStartupHere() {
    const RootFiles c = ReadRootFiles('C');
    if (c.ioSys || c.kernelSys || c.ibmbio)
        return JudgeStartup(c, 0, RootFiles());
    char host = c.msdosSys ? HostDriveNamed(c.msdosSysBytes) : 0;
    if (host && !ReadRootFiles(host).compressedVolume)
        host = 0; // the named drive is not there, or is no host: look for it
    if (!host)
        host = FindHostDrive();
    return JudgeStartup(c, host, host ? ReadRootFiles(host) : RootFiles());
}

} // namespace qg
