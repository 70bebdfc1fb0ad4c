/*
 * The lock's contract with the DOS-side programs: the boot script, the boot folder and its
 * files, the password file's scrambling key and the longest password. Typed only here. The
 * build reads these lines (cmake/Contract.cmake) and generates from them what the boot prompt
 * (a NASM include), the installer (NSIS defines) and the test scripts (a shell file) need, so
 * keep to one "#define NAME value" a line, each value a plain literal.
 */
#pragma once

#define QG_BOOT_SCRIPT "c:\\autoexec.bat"
#define QG_BOOT_FOLDER "c:\\Qg_Data"
// The same folder as some sites spell it; it must stay the lower case of the one above.
#define QG_BOOT_FOLDER_LOWER "c:\\qg_data"
#define QG_BOOT_PROGRAM "qg.exe"
#define QG_REBOOT_PROGRAM "rb.com"
#define QG_PASSWORD_FILE "vhod.dll"
// A new password is written whole under this name beside the password file, then renamed over
// it. Windows 95/98 cannot rename over a file, so for an instant only this one is there: the
// boot prompt reads it when the password file is missing.
#define QG_PASSWORD_NEW_FILE "vhod.new"
// Each byte of the password file is the password's byte XOR the code of this letter.
#define QG_PASSWORD_KEY "k"
#define QG_MAX_PASSWORD_LENGTH 15
// The strong lock: CONFIG.SYS starts the boot prompt with this switch from this line, before
// the command interpreter, so no batch file can be broken off; the prompt then leaves a mark in
// memory, and its run from the boot script in the same boot ends at once.
#define QG_CONFIG_SYS "c:\\config.sys"
#define QG_INSTALL_SWITCH "/I"
#define QG_INSTALL_LINE "INSTALL=C:\\QG_DATA\\QG.EXE /I"
