/*
 * The judgement of which DOS boots this PC (see DosSystem.h).
 */
#include "lockconfig/DosSystem.h"

#include "lockconfig/StartupKeyEdits.h"

namespace qg {

namespace {

bool Contains(const std::string& bytes, const char* text) {
    return bytes.find(text) != std::string::npos;
}

// DR-DOS, Novell DOS and their successors name their maker in the BIOS file; PC DOS does not.
bool IsDrDos(const std::string& bios) {
    for (const char* maker : {"Digital Research", "DR-DOS", "DR DOS", "Novell", "Caldera"}) {
        if (Contains(bios, maker))
            return true;
    }
    return false;
}

void JudgeSystemFiles(const RootFiles& c, const RootFiles& s, StartupJudgement& judged) {
    if (s.msdosSys && IsTextMsdosSys(s.msdosSysBytes)) {
        judged.system = DosSystem::Windows9x;
        judged.msdosSys = true;
        // The earlier DOS starts by default, with CONFIG.DOS and AUTOEXEC.DOS.
        if (SettingIn(s.msdosSysBytes, "Options", "BootWin").value_or("1") == "0" &&
            SettingIn(s.msdosSysBytes, "Options", "BootMulti").value_or("0") == "1")
            judged.openWays.push_back(OpenWay::PreviousDos);
    } else if (s.kernelSys) {
        judged.system = DosSystem::FreeDos;
        judged.switchN = true;
        if (c.fdconfigSys)
            judged.configFile = "FDCONFIG.SYS";
        judged.bootScriptRuns = !c.fdautoBat;
    } else if (s.ioSys && Contains(s.ioSysBytes, "Starting MS-DOS")) {
        // MS-DOS 6 and later: F5 and F8, and Ctrl+F5 and Ctrl+F8 past the compression driver.
        judged.system = DosSystem::MsDos6;
        judged.switchN = true;
        if (s.compressionDriver) {
            if (s.compressionIniName.empty())
                judged.openWays.push_back(OpenWay::OwnStartupKeys);
            else
                judged.compressionIni = s.compressionIniName;
        }
    } else if (s.ibmbio) {
        judged.system = IsDrDos(s.ibmbioBytes) ? DosSystem::DrDos : DosSystem::PcDos;
        if (judged.system == DosSystem::DrDos && c.dconfigSys)
            judged.configFile = "DCONFIG.SYS";
        judged.openWays.push_back(OpenWay::OwnStartupKeys);
    } else if (s.ioSys) {
        judged.system = DosSystem::Other; // MS-DOS 5 and earlier: no keys that skip the files
    } else {
        judged.system = DosSystem::Other;
        judged.openWays.push_back(OpenWay::UnknownDos);
    }
}

} // namespace

char HostDriveNamed(const std::string& msdosSys) {
    if (!IsTextMsdosSys(msdosSys))
        return 0;
    const std::string drive = SettingIn(msdosSys, "Paths", "HostWinBootDrv").value_or("");
    if (drive.empty())
        return 0;
    const char letter = static_cast<char>(drive[0] & ~0x20);
    return letter > 'C' && letter <= 'Z' ? letter : 0;
}

StartupJudgement JudgeStartup(const RootFiles& c, char host, const RootFiles& hostFiles) {
    StartupJudgement judged;
    const bool cStarts = c.ioSys || c.kernelSys || c.ibmbio;
    const char named = c.msdosSys ? HostDriveNamed(c.msdosSysBytes) : 0;
    if (cStarts || (!host && !named)) {
        JudgeSystemFiles(c, c, judged);
        return judged;
    }
    // C: holds no start-up files of its own: a compressed drive, started from its host.
    judged.compressed = true;
    judged.systemDrive = host;
    if (host) {
        JudgeSystemFiles(c, hostFiles, judged);
        return judged;
    }
    judged.openWays.push_back(OpenWay::HostNotFound);
    judged.system = DosSystem::Windows9x; // only Windows 95/98 name their host in MSDOS.SYS
    return judged;
}

} // namespace qg
