/*
 * The judgement of which DOS boots from drive C: (see DosSystem.h).
 */
#include "lockconfig/DosSystem.h"

namespace qg {

DosSystem JudgeDosSystem(bool textMsdosSys, bool kernelSys, const std::string& ioSys) {
    if (textMsdosSys)
        return DosSystem::Windows9x;
    if (kernelSys)
        return DosSystem::FreeDos;
    if (ioSys.find("Starting MS-DOS") != std::string::npos)
        return DosSystem::MsDos6;
    return DosSystem::Other;
}

bool TakesSwitchN(DosSystem system) {
    return system == DosSystem::FreeDos || system == DosSystem::MsDos6;
}

} // namespace qg
