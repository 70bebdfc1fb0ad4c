/*
 * Boot-script text handling, without the file system: finding the boot-script line, adding it,
 * and taking it out. The boot script is single-byte text. A line ends at CR LF, and also at a
 * lone LF or a lone CR (files edited elsewhere). COMMAND.COM stops reading at the DOS
 * end-of-file mark 0x1A, so text from the first such mark on is not part of any line: it is
 * kept as it is, at the end.
 */
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qg {

struct BootScriptText {
    std::vector<std::string> lines; // without their line ends
    bool lastLineEnded = false;     // the last line had a line end (true when there are none)
    std::string tail;               // from the first 0x1A on, or empty
};

BootScriptText SplitBootScript(const std::string& bytes);

// What the home window shows for a boot script that is present.
enum class BootScriptStatus {
    NoLines,   // empty: status and selection stay as they are
    Active,    // a line equals the boot-script line in any letter case
    NotActive, // other lines only
};
BootScriptStatus ScanBootScriptStatus(const std::string& bytes);

// True when a line equals the boot-script line letter for letter.
bool HoldsExactBootScriptLine(const std::string& bytes);

// The boot script with the boot-script line added on a line of its own: after a CR LF when
// the text does not end with one, and before a trailing end-of-file mark.
std::string WithBootScriptLine(const std::string& bytes);

// The boot script with every boot-script line (any letter case) turned into an empty line and
// every line ended with CR LF; nothing when it holds no such line (then it stays as it is).
std::optional<std::string> WithoutBootScriptLine(const std::string& bytes);

// Whether this Windows runs the boot script's commands when the computer starts, judged from
// what GetVersion returns: Windows 95 and 98 do. The NT family (top bit clear) never does, and
// Windows ME (4.90) runs only its SET and PATH lines, so the lock's line does nothing there.
bool WindowsRunsBootScript(std::uint32_t getVersion);

// Lower case of the ASCII letters only; other bytes stay.
std::string AsciiLower(std::string text);

} // namespace qg
