/*
 * The strong lock's text edits, without the file system: CONFIG.SYS gets the line that starts
 * the boot prompt before the command interpreter (and SWITCHES=/N where the system takes it),
 * a text MSDOS.SYS of Windows 95/98 gets BootKeys=0 and BootWarn=0, and each edit can be taken
 * back; the records of what a file was before.
 *
 * Both files are single-byte text read by DOS up to the end-of-file mark 0x1A. Every line that
 * is not edited keeps its bytes and its own line end, so the lock changes only what it means to.
 */
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qg {

// A line with its own line end ("\r\n", "\n", "\r" or none on the last line).
struct TextLine {
    std::string text;
    std::string end;
};
struct TextLines {
    std::vector<TextLine> lines;
    std::string tail; // from the first 0x1A on, or empty
};
TextLines SplitLines(const std::string& bytes);
std::string JoinLines(const TextLines& text);

// One line the lock added, or changed from `before` to `after`.
struct LineEdit {
    enum class Kind { Added, Replaced };
    Kind kind = Kind::Added;
    std::string before; // the owner's line (Replaced only)
    std::string after;  // the line as the lock writes it
    bool operator==(const LineEdit& other) const {
        return kind == other.kind && before == other.before && after == other.after;
    }
};
struct SystemFileEdit {
    std::string text;            // the file afterwards
    std::vector<LineEdit> edits; // empty: the file stays as it is
};

// True when a line of CONFIG.SYS is the lock's INSTALL= line, in any letter case.
bool HoldsInstallLine(const std::string& configSys);

// CONFIG.SYS with the INSTALL= line on a line of its own, where every start runs it (not in a
// menu item's block, nor behind FreeDOS's "1?"): after the owner's last INSTALL= line that loads
// KEYB when every start runs that one too (then the prompt gets the owner's keyboard), else at
// the end, in a [COMMON] block when the file has menu blocks. With `switchN`, /N is merged into
// every SWITCHES= line, and a SWITCHES=/N line goes before ours unless every start runs one;
// also when our line is there already, which is then not added again.
SystemFileEdit CloseKeysInConfigSys(const std::string& configSys, bool switchN);

// True when every start has loaded KEYB by the time it runs our INSTALL= line (by the end of
// the file when there is none): then the prompt there has the owner's keyboard, else the US one.
bool KeybRunsBeforeInstallLine(const std::string& configSys);
// The same by the end of the file, before the boot script runs, wherever our line is.
bool KeybRunsInConfigSys(const std::string& configSys);

// True when the boot script starts KEYB before the boot-script line (before its end, when the
// line is not there yet). Only plain lines count: one behind IF or a label may not run.
bool KeybRunsBeforeBootScriptLine(const std::string& autoexecBat);

// True for the text MSDOS.SYS of Windows 95/98: settings text with a [Paths] or [Options]
// section. The MSDOS.SYS of MS-DOS 6 and earlier is the DOS kernel itself, never edited.
bool IsTextMsdosSys(const std::string& msdosSys);

// The value of `key` in the [`section`] of a settings text such as MSDOS.SYS (the last one,
// trimmed), or nothing when the section has no such line. Names in any letter case.
std::optional<std::string> SettingIn(const std::string& text, const std::string& section,
                                     const std::string& key);

// Windows 95/98 need MSDOS.SYS to be at least this long.
constexpr std::size_t MsdosSysMinimumSize = 1024;

// The text MSDOS.SYS with BootKeys=0 and BootWarn=0 in [Options] (added when missing); a
// BootMenu=, BootFailSafe= or BootSafe= that shows the Startup menu or starts Safe mode at every
// start is set to 0 too; padded with comment lines to at least 1024 bytes. Any other file comes
// back unchanged, without edits.
SystemFileEdit CloseKeysInMsdosSys(const std::string& msdosSys);

// What was there before the lock changed a file: kept in the boot folder until removal.
struct SystemFileRecord {
    bool present = false;           // the file was there
    std::uint32_t attributes = 0;   // its attributes
    bool switchN = false;           // CONFIG.SYS: /N was written
    std::string bytes;              // its bytes
    bool operator==(const SystemFileRecord& other) const {
        return present == other.present && attributes == other.attributes &&
               switchN == other.switchN && bytes == other.bytes;
    }
};
std::string FormatRecord(const SystemFileRecord& record);
std::optional<SystemFileRecord> ParseRecord(const std::string& bytes);

// What removal does with a file.
struct SystemFileRestore {
    enum class Action { Keep, Write, Delete };
    Action action = Action::Keep;
    std::string text; // Write: the new bytes
    bool exact = false; // the file goes back to the recorded bytes (and attributes)
};

// CONFIG.SYS without the lock's changes. When it is as the lock left it, the recorded file
// comes back byte for byte (or goes, when the lock created it). Otherwise each of the lock's
// edits is undone in the text as it is now, and every INSTALL= line of the lock goes, in any
// letter case; a created file left with nothing but blank lines goes. Without a record only
// the INSTALL= lines go.
SystemFileRestore OpenKeysInConfigSys(bool present, const std::string& configSys,
                                      const SystemFileRecord* record);

// MSDOS.SYS without the lock's changes, in the same way.
SystemFileRestore OpenKeysInMsdosSys(const std::string& msdosSys, const SystemFileRecord& record);

// DBLSPACE.INI or DRVSPACE.INI of MS-DOS 6.2x with /N in its Switches= line (added when there
// is none): SWITCHES=/N in CONFIG.SYS does not stop Ctrl+F5 and Ctrl+F8, which start the PC
// without the compression driver, and so without drive C: as the owner knows it.
SystemFileEdit CloseKeysInCompressionIni(const std::string& ini);
SystemFileRestore OpenKeysInCompressionIni(const std::string& ini, const SystemFileRecord& record);

} // namespace qg
