/*
 * Which DOS boots from drive C:, judged from its start-up files alone, and what that DOS takes
 * in its start-up files.
 */
#pragma once

#include <string>

namespace qg {

// Which DOS boots from drive C:, judged from its files, and so whether CONFIG.SYS may hold
// SWITCHES=/N to switch F5/F8 off:
// - a text MSDOS.SYS with [Options]: Windows 95/98, whose keys BootKeys=0 switches off;
// - KERNEL.SYS: FreeDOS, which takes /N silently;
// - an IO.SYS that shows "Starting MS-DOS..." (only MS-DOS 6 and later offer F5/F8): takes /N;
// - anything else, MS-DOS 4.0 among them: no /N. MS-DOS 4.0 knows SWITCHES= but not /N, and
//   shows "Bad command or parameters" and an error line at every boot; it has no F5/F8 anyway.
enum class DosSystem { Windows9x, FreeDos, MsDos6, Other };
DosSystem JudgeDosSystem(bool textMsdosSys, bool kernelSys, const std::string& ioSys);
bool TakesSwitchN(DosSystem system);

} // namespace qg
