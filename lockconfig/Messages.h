/*
 * Every fixed message box of the program: its text, title and icon, and the one function that
 * shows them. The windows, the lock's steps and the tests all take the texts from here.
 */
#pragma once

#include "lockconfig/Contract.h"
#include "lockconfig/DosSystem.h"

#include <windows.h>

#include <string>
#include <vector>

namespace qg {

enum class MessageIcon { Information, Error, Question };

struct Message {
    const char* text;
    const char* title;
    MessageIcon icon;
};

#define QG_STRINGIZE_(x) #x
#define QG_STRINGIZE(x) QG_STRINGIZE_(x)
#define QG_MAX_PASSWORD_LENGTH_TEXT QG_STRINGIZE(QG_MAX_PASSWORD_LENGTH)

namespace Messages {

constexpr Message ProgramFilesNotFound{
    "Error locating program files, please reinstall Quillgate", "Quillgate", MessageIcon::Error};
constexpr Message ProgramFilesMissing{"Missing system files, please reinstall Quillgate",
                                      "Quillgate", MessageIcon::Error};
constexpr Message EarlierVersionAdvice{
    "You are running an older version of this software."
    "\n\r" // line feed before carriage return, as the advice has always been shown
    "It is recommended that you change your password."
    "\n\r\n\r"
    "To do so, please click YES under 'Activate Quillgate at boot up?' and press Apply, "
    "followed by your new password",
    "Please change your password.", MessageIcon::Information};
constexpr Message PasswordTooLong{
    "Password is more than " QG_MAX_PASSWORD_LENGTH_TEXT " characters, please try again",
    "Invalid Password", MessageIcon::Information};
constexpr Message PasswordForbidden{
    "Password cannot contain spaces or any other special characters, please use numbers and "
    "letters for the password.",
    "Password Error", MessageIcon::Error};
constexpr Message PasswordsDiffer{"Passwords do not match, please try again.", "Quillgate",
                                  MessageIcon::Information};
// Apply with "Yes" on a Windows that does not run the boot script's commands at start-up.
constexpr Message BootScriptNotRun{
    "This version of Windows does not run " QG_BOOT_SCRIPT " when the computer starts, so the "
    "boot password will only be asked for when this computer starts MS-DOS, Windows 95 or "
    "Windows 98 from drive C:.",
    "Quillgate", MessageIcon::Information};
// Before the strong lock, once the password is confirmed: answered Yes or No. Its text is
// CloseStartupKeysText: this, then OnlyBootDisk, or what stays open on this PC even then.
constexpr Message CloseStartupKeys{
    "Anyone can still get past the password while this computer starts: F5 or F8 skip the "
    "start-up files, Ctrl+C can end the boot script, and Windows 95/98 offer Safe mode after a "
    "start that did not finish. Close these ways as well?",
    "Quillgate", MessageIcon::Question};
constexpr char OnlyBootDisk[] =
    "Then only a boot disk gets past the password. Keep one, in case you forget it.";
constexpr char StillOpen[] = "Even then, this stays open:";
constexpr char KeepBootDisk[] = "Keep a boot disk, in case you forget the password.";
// One line for each way that the lock cannot close on this PC (DosSystem.h, OpenWay).
constexpr char PreviousDosOpen[] =
    "- Windows starts the earlier version of MS-DOS (BootWin=0 in MSDOS.SYS), which reads "
    "CONFIG.DOS and AUTOEXEC.DOS: no password is asked for there.";
constexpr char UnknownDosOpen[] =
    "- The DOS on drive C: is not one Quillgate knows: keys such as F5 and F8 may still skip "
    "the start-up files.";
constexpr char HostNotFoundOpen[] =
    "- Drive C: is compressed, and the drive that holds its start-up files was not found: F5, "
    "F8, Ctrl+F5 and Ctrl+F8 still skip the start-up files.";
constexpr char OwnStartupKeysOpen[] =
    "- Quillgate cannot switch off the start-up keys of this DOS: F5 and F8 still skip the "
    "start-up files.";
// Before the ordinary lock on a FreeDOS that starts FDAUTO.BAT instead of the boot script.
constexpr Message BootScriptSkipped{
    "FreeDOS on this computer starts C:\\FDAUTO.BAT, not " QG_BOOT_SCRIPT ", so the password "
    "is only asked for when the start-up keys are closed as well. Apply again and answer Yes "
    "to close them.",
    "Quillgate", MessageIcon::Information};
// Instead of that question when the password has characters that the prompt before the
// keyboard driver would take from other keys (KeyboardDiffersText puts them in).
constexpr Message KeyboardDiffers{
    "The start-up keys are not closed with this password: before the keyboard driver loads, "
    "this computer has the US keyboard, where these characters of the password are on other "
    "keys:",
    "Quillgate", MessageIcon::Information};
// Instead of the question when the password cannot be typed at the boot script's prompt
// either: the password is refused (PasswordNotTypeableText puts the characters in).
constexpr Message PasswordNotTypeable{
    "This password cannot be used: the boot password is asked for before the keyboard driver "
    "loads, when this computer has the US keyboard, where these characters of the password are "
    "on other keys:",
    "Password Error", MessageIcon::Error};
constexpr char PasswordNotTypeableEnd[] =
    "Please choose a password without these characters.";
constexpr char KeyboardDiffersEnd[] =
    "The password is asked for by " QG_BOOT_SCRIPT " as without them. To close the start-up "
    "keys, choose a password without these characters.";
constexpr Message SettingsSaved{"Settings saved, thank you.", "Note!", MessageIcon::Information};
// Leads the list of the steps that failed (Outcome::Message).
constexpr Message SettingsNotSaved{"The settings could not be saved.", "Quillgate",
                                   MessageIcon::Error};
// A second copy of the program was started; it ends after this message.
constexpr Message AlreadyRunning{"Quillgate is already running.", "Quillgate",
                                 MessageIcon::Information};
// Something the program did not foresee went wrong; it ends after this message.
constexpr Message UnexpectedFailure{
    "Quillgate met an unexpected error and must close.", "Quillgate", MessageIcon::Error};
// A window or dialog box could not be made (short of memory or other resources).
constexpr Message WindowNotCreated{
    "Quillgate could not open a window. Close other programs and try again.", "Quillgate",
    MessageIcon::Error};

} // namespace Messages

// Ends the report of an installation whose other steps failed, so the keys stay open.
constexpr char StartupKeysNotClosed[] = "The start-up keys were not closed, as the steps above "
                                        "failed.";

// Ends the report of an installation that could not add the boot-script line.
constexpr char LockNotSwitchedOn[] = "The lock was not switched on: no password was saved and "
                                     "nothing was written to " QG_BOOT_FOLDER ".";

// A file, not a folder, has the boot folder's name: the lock's files cannot go there.
constexpr char BootFolderIsAFile[] =
    QG_BOOT_FOLDER " is a file, not a folder, so the lock's files cannot be put there. Rename or "
    "move that file, then apply again.";
// Ends the report of an installation that did not add the line, as the lock could not run.
constexpr char LineNotAdded[] =
    "The line " QG_BOOT_FOLDER "\\" QG_BOOT_PROGRAM " was not added to " QG_BOOT_SCRIPT
    ", so the lock is not switched on.";
// Ends the report of a removal that could not take a line out: the prompt it starts stays.
constexpr char LockFilesKept[] =
    "The lock's files in " QG_BOOT_FOLDER " were kept, as a line still starts "
    QG_BOOT_FOLDER "\\" QG_BOOT_PROGRAM ".";

// Ends the report of a change of password whose start-up keys could not be opened first.
constexpr char NewPasswordNotSaved[] =
    "The new password was not saved: the start-up keys must be opened before it is, as the "
    "prompt they start could not take it. The old password is still the one asked for at boot.";

// End the report of a password file that could not be written, saying what the boot prompt
// asks for now.
constexpr char NewPasswordInForce[] =
    "The new password is asked for at boot all the same: the boot prompt reads "
    QG_BOOT_FOLDER_LOWER "\\" QG_PASSWORD_NEW_FILE " while " QG_BOOT_FOLDER_LOWER "\\"
    QG_PASSWORD_FILE " is missing.";
constexpr char OldPasswordInForce[] = "The old password is still the one asked for at boot.";
constexpr char NoPasswordInForce[] = "No password is asked for at boot.";

// The input boxes of a new password.
constexpr char PasswordInputTitle[] = "Enter Password";
constexpr char PasswordPrompt[] =
    "Please enter your password (Max " QG_MAX_PASSWORD_LENGTH_TEXT " characters)";
constexpr char ConfirmPasswordPrompt[] = "Confirm password";

// The text of KeyboardDiffers for these characters.
std::string KeyboardDiffersText(const std::string& characters);
// The text of PasswordNotTypeable for these characters.
std::string PasswordNotTypeableText(const std::string& characters);
// The text of the question CloseStartupKeys, with the ways that stay open on this PC. Inline:
// the tests that read the question link none of the program's windows.
inline std::string CloseStartupKeysText(const std::vector<OpenWay>& openWays) {
    std::string text = std::string(Messages::CloseStartupKeys.text) + "\r\n\r\n";
    if (openWays.empty())
        return text + Messages::OnlyBootDisk;
    text += Messages::StillOpen;
    for (const OpenWay way : openWays) {
        text += "\r\n";
        switch (way) {
        case OpenWay::PreviousDos:
            text += Messages::PreviousDosOpen;
            break;
        case OpenWay::UnknownDos:
            text += Messages::UnknownDosOpen;
            break;
        case OpenWay::HostNotFound:
            text += Messages::HostNotFoundOpen;
            break;
        case OpenWay::OwnStartupKeys:
            text += Messages::OwnStartupKeysOpen;
            break;
        }
    }
    return text + "\r\n\r\n" + Messages::KeepBootDisk;
}

// Shows the message modally, with one OK button, and returns when the user has closed it.
void ShowMessage(HWND owner, const Message& message);
// The same box with a text made at run time, such as a list of failed steps.
void ShowMessage(HWND owner, const Message& message, const std::string& text);
// Shows the question modally with Yes and No buttons; true for Yes.
bool AskQuestion(HWND owner, const Message& message);
bool AskQuestion(HWND owner, const Message& message, const std::string& text);

} // namespace qg
