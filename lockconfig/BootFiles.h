/*
 * What the configuration program leaves on drive C: for the DOS-side programs: the boot
 * folder and its files, the boot-script line, and the scratch and backup files used while the
 * boot script is rewritten. The folder name is spelled in two letter cases at different sites;
 * drive C: ignores case, so both name the same folder.
 */
#pragma once

namespace qg {

constexpr char BootScriptPath[] = "c:\\autoexec.bat";
constexpr char BootScriptLine[] = "c:\\Qg_Data\\qg.exe";
// The same line as the status scan and the removal compare it: in lower case.
constexpr char BootScriptLineLower[] = "c:\\qg_data\\qg.exe";

constexpr char BootFolderPath[] = "c:\\Qg_Data";
constexpr char BootFolderPathLower[] = "c:\\qg_data";
constexpr char PasswordFilePath[] = "c:\\qg_data\\vhod.dll";
// The new password is written here first and then renamed, so a password file is always
// absent or whole.
constexpr char PasswordTempPath[] = "c:\\qg_data\\vhod.new";
constexpr char BootProgramTarget[] = "c:\\qg_data\\qg.exe";
constexpr char RebootProgramTarget[] = "c:\\qg_data\\rb.com";
// The programs are copied under these names first and then renamed, for the same reason.
constexpr char BootProgramTemp[] = "c:\\qg_data\\qg.new";
constexpr char RebootProgramTemp[] = "c:\\qg_data\\rb.new";
constexpr char EarlierVersionFile[] = "c:\\Qg_Data\\systemf.dat";

// Suffixes appended to the application folder, no separator added or removed.
constexpr char RebootProgramSuffix[] = "\\rb.com";
constexpr char BootProgramSuffix[] = "\\qg.exe";

// The new boot script is written whole here before it takes the old one's place.
constexpr char ScratchFilePath[] = "c:\\autotemp";
// The old boot script while the new one moves in; put back at start-up if a swap was cut short.
constexpr char BootScriptBackupPath[] = "c:\\autoexec.qgb";

} // namespace qg
