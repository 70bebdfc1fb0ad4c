/*
 * What the configuration program leaves on drive C: for the DOS-side programs: the boot
 * folder and its files, the boot-script line, and the scratch and backup files used while the
 * boot script is rewritten. The names shared with the DOS-side programs, the installer and the
 * tests come from Contract.h. The folder name is spelled in two letter cases at different
 * sites; drive C: ignores case, so both name the same folder.
 */
#pragma once

#include "lockconfig/Contract.h"

namespace qg {

constexpr char BootScriptPath[] = QG_BOOT_SCRIPT;
constexpr char BootScriptLine[] = QG_BOOT_FOLDER "\\" QG_BOOT_PROGRAM;
// The same line as the status scan and the removal compare it: in lower case.
constexpr char BootScriptLineLower[] = QG_BOOT_FOLDER_LOWER "\\" QG_BOOT_PROGRAM;

constexpr char BootFolderPath[] = QG_BOOT_FOLDER;
constexpr char BootFolderPathLower[] = QG_BOOT_FOLDER_LOWER;
constexpr char PasswordFilePath[] = QG_BOOT_FOLDER_LOWER "\\" QG_PASSWORD_FILE;
// A new password is written whole here and flushed, then renamed to the new password file,
// which is therefore whole whenever it is there: the boot prompt reads it while the password
// file is missing (Windows 95/98 cannot rename over a file). Then it replaces the password file.
constexpr char PasswordTempPath[] = QG_BOOT_FOLDER_LOWER "\\vhod.tmp";
constexpr char PasswordNewPath[] = QG_BOOT_FOLDER_LOWER "\\" QG_PASSWORD_NEW_FILE;
constexpr char BootProgramTarget[] = QG_BOOT_FOLDER_LOWER "\\" QG_BOOT_PROGRAM;
constexpr char RebootProgramTarget[] = QG_BOOT_FOLDER_LOWER "\\" QG_REBOOT_PROGRAM;
// The programs are copied under these names first and then renamed, for the same reason.
constexpr char BootProgramTemp[] = QG_BOOT_FOLDER_LOWER "\\qg.new";
constexpr char RebootProgramTemp[] = QG_BOOT_FOLDER_LOWER "\\rb.new";
constexpr char EarlierVersionFile[] = QG_BOOT_FOLDER "\\systemf.dat";

// Suffixes appended to the application folder, no separator added or removed.
constexpr char RebootProgramSuffix[] = "\\" QG_REBOOT_PROGRAM;
constexpr char BootProgramSuffix[] = "\\" QG_BOOT_PROGRAM;

// The new boot script is written whole here before it takes the old one's place.
constexpr char ScratchFilePath[] = "c:\\autotemp";
// The old boot script while the new one moves in; put back at start-up if a swap was cut short.
constexpr char BootScriptBackupPath[] = "c:\\autoexec.qgb";

} // namespace qg
