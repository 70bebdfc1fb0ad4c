/*
 * The strong lock's text edits (see StartupKeyEdits.h).
 */
#include "lockconfig/StartupKeyEdits.h"

#include "lockconfig/BootScript.h"
#include "lockconfig/Contract.h"

namespace qg {

namespace {

constexpr char EndOfFileMark = '\x1a';
constexpr char LineEnd[] = "\r\n";
constexpr char InstallLine[] = QG_INSTALL_LINE;
constexpr char CommonBlock[] = "[COMMON]";

std::string AsciiUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string Trim(const std::string& text) {
    const char* blanks = " \t";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The setting a line names ("INSTALL", "BOOTKEYS"), in capitals; empty without an "=".
std::string KeyOf(const std::string& line) {
    const std::size_t equals = line.find('=');
    return equals == std::string::npos ? std::string() : AsciiUpper(Trim(line.substr(0, equals)));
}

std::string ValueOf(const std::string& line) {
    const std::size_t equals = line.find('=');
    return equals == std::string::npos ? std::string() : Trim(line.substr(equals + 1));
}

bool IsInstallLine(const std::string& line) {
    return AsciiUpper(line) == AsciiUpper(InstallLine);
}

bool IsBlockHeader(const std::string& line) {
    const std::string trimmed = Trim(line);
    return !trimmed.empty() && trimmed[0] == '[';
}

// A block header's name in capitals ("[Common]" gives "COMMON").
std::string BlockName(const std::string& header) {
    const std::string trimmed = Trim(header);
    return AsciiUpper(Trim(trimmed.substr(1, trimmed.find(']') - 1)));
}

// FreeDOS runs a line that starts with menu digits and "?" ("12?INSTALL=...") for those menu
// choices only; the rest of the line is the command.
std::size_t ConditionLength(const std::string& line) {
    std::size_t at = line.find_first_not_of(" \t");
    const std::size_t digits = at;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9')
        ++at;
    return at < line.size() && at > digits && line[at] == '?' ? at + 1 : 0;
}

// For each line, whether every start runs it: lines before the first block header and lines
// of [COMMON] blocks (MS-DOS 6 menus), and no FreeDOS line kept for some menu choices.
std::vector<bool> RunByEveryStart(const TextLines& text) {
    std::vector<bool> every(text.lines.size());
    bool common = true;
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
        const std::string& line = text.lines[i].text;
        if (IsBlockHeader(line)) {
            common = BlockName(line) == "COMMON";
            continue;
        }
        every[i] = common && ConditionLength(line) == 0;
    }
    return every;
}

// True when a command starts the keyboard driver (KEYB, C:\DOS\KEYB.COM, KEYB.EXE).
bool StartsKeyb(const std::string& command) {
    std::string program = Trim(command);
    program = program.substr(0, program.find_first_of(" \t/,"));
    const std::size_t slash = program.find_last_of("\\:");
    if (slash != std::string::npos)
        program = program.substr(slash + 1);
    return AsciiUpper(program.substr(0, program.find('.'))) == "KEYB";
}

// An INSTALL= line of the owner's that loads the keyboard driver.
bool LoadsKeyb(const std::string& conditionalLine) {
    const std::string line = conditionalLine.substr(ConditionLength(conditionalLine));
    const std::string key = KeyOf(line);
    return (key == "INSTALL" || key == "INSTALLHIGH") && StartsKeyb(ValueOf(line));
}

bool HoldsSwitchN(const std::string& value) {
    const std::string upper = AsciiUpper(value);
    for (std::size_t at = upper.find("/N"); at != std::string::npos; at = upper.find("/N", at + 1)) {
        const std::size_t next = at + 2;
        if (next == upper.size() || upper[next] == ' ' || upper[next] == '\t' || upper[next] == '/')
            return true;
    }
    return false;
}

// Inserts a line of its own: a line before it without a line end (the last one) gets one.
void Insert(TextLines& text, std::size_t at, const std::string& line) {
    if (at > 0 && text.lines[at - 1].end.empty())
        text.lines[at - 1].end = LineEnd;
    text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(at), {line, LineEnd});
}

// Makes sure a line can follow the last one.
void EndLastLine(TextLines& text) {
    if (!text.lines.empty() && text.lines.back().end.empty())
        text.lines.back().end = LineEnd;
}

// The last line that `matches`, or npos.
template <typename Match>
std::size_t FindLast(const TextLines& text, Match matches) {
    for (std::size_t i = text.lines.size(); i-- > 0;) {
        if (matches(text.lines[i].text))
            return i;
    }
    return std::string::npos;
}

// Undoes the lock's edits in a text that others may have changed since: each line the lock
// added goes and each line it changed gets its old text back, where it is still found as the
// lock wrote it (the last such line: the lock's lines come after the owner's). A block header
// the lock added goes only when its block holds nothing else any more.
void UndoEdits(TextLines& text, const std::vector<LineEdit>& edits) {
    for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit) {
        if (edit->kind == LineEdit::Kind::Added && IsBlockHeader(edit->after))
            continue;
        const bool install = IsInstallLine(edit->after);
        const std::size_t at = FindLast(text, [&](const std::string& line) {
            return install ? IsInstallLine(line) : line == edit->after;
        });
        if (at == std::string::npos)
            continue;
        if (edit->kind == LineEdit::Kind::Added)
            text.lines.erase(text.lines.begin() + static_cast<std::ptrdiff_t>(at));
        else
            text.lines[at].text = edit->before;
    }
    for (const LineEdit& edit : edits) {
        if (edit.kind != LineEdit::Kind::Added || !IsBlockHeader(edit.after))
            continue;
        const std::size_t at =
            FindLast(text, [&](const std::string& line) { return Trim(line) == edit.after; });
        if (at == std::string::npos)
            continue;
        bool empty = true;
        for (std::size_t i = at + 1; i < text.lines.size() && !IsBlockHeader(text.lines[i].text);
             ++i)
            empty = empty && Trim(text.lines[i].text).empty();
        if (empty)
            text.lines.erase(text.lines.begin() + static_cast<std::ptrdiff_t>(at));
    }
}

bool OnlyBlankLines(const TextLines& text) {
    for (const TextLine& line : text.lines) {
        if (!Trim(line.text).empty())
            return false;
    }
    return text.tail.empty();
}

SystemFileRestore Written(const std::string& before, const std::string& after) {
    SystemFileRestore restore;
    if (after != before) {
        restore.action = SystemFileRestore::Action::Write;
        restore.text = after;
    }
    return restore;
}

constexpr char PaddingLine[] =
    ";xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx";

} // namespace

TextLines SplitLines(const std::string& bytes) {
    TextLines text;
    const std::size_t mark = bytes.find(EndOfFileMark);
    const std::size_t end = mark == std::string::npos ? bytes.size() : mark;
    if (mark != std::string::npos)
        text.tail = bytes.substr(mark);
    std::size_t start = 0;
    while (start < end) {
        std::size_t stop = start;
        while (stop < end && bytes[stop] != '\r' && bytes[stop] != '\n')
            ++stop;
        std::size_t next = stop;
        if (next < end)
            next += bytes[stop] == '\r' && stop + 1 < end && bytes[stop + 1] == '\n' ? 2 : 1;
        text.lines.push_back({bytes.substr(start, stop - start), bytes.substr(stop, next - stop)});
        start = next;
    }
    return text;
}

std::string JoinLines(const TextLines& text) {
    std::string bytes;
    for (const TextLine& line : text.lines)
        bytes += line.text + line.end;
    return bytes + text.tail;
}

bool HoldsInstallLine(const std::string& configSys) {
    for (const TextLine& line : SplitLines(configSys).lines) {
        if (IsInstallLine(line.text))
            return true;
    }
    return false;
}

SystemFileEdit CloseKeysInConfigSys(const std::string& configSys, bool switchN) {
    SystemFileEdit result{configSys, {}};
    TextLines text = SplitLines(configSys);
    std::vector<bool> every = RunByEveryStart(text);
    auto findLastEvery = [&](bool (*matches)(const std::string&)) {
        for (std::size_t i = text.lines.size(); i-- > 0;) {
            if (every[i] && matches(text.lines[i].text))
                return i;
        }
        return std::string::npos;
    };
    // Our line counts only where every start runs it; elsewhere another goes where they all do.
    const std::size_t ours = findLastEvery(IsInstallLine);
    std::size_t at = ours;
    if (at == std::string::npos) {
        // After the keyboard driver, so that the prompt has the owner's keyboard; a driver that
        // only some menu choices load counts only for them, so the line then goes last.
        const std::size_t keyb = FindLast(text, LoadsKeyb);
        if (keyb != std::string::npos && every[keyb]) {
            at = keyb + 1;
        } else {
            at = text.lines.size();
            // With menu blocks, the lines at the end belong to the last block only.
            const std::size_t header = FindLast(text, IsBlockHeader);
            if (header != std::string::npos && BlockName(text.lines[header].text) != "COMMON") {
                Insert(text, at++, CommonBlock);
                every.push_back(false);
                result.edits.push_back({LineEdit::Kind::Added, {}, CommonBlock});
            }
        }
    }
    if (switchN) {
        // /N in every SWITCHES= line, and one that every start runs.
        bool everyStart = false;
        for (std::size_t i = 0; i < text.lines.size(); ++i) {
            std::string& line = text.lines[i].text;
            const std::size_t condition = ConditionLength(line);
            if (KeyOf(line.substr(condition)) != "SWITCHES")
                continue;
            everyStart = everyStart || every[i];
            if (HoldsSwitchN(ValueOf(line.substr(condition))))
                continue;
            const std::string before = line;
            line = line.substr(0, line.find_last_not_of(" \t") + 1) + " /N";
            result.edits.push_back({LineEdit::Kind::Replaced, before, line});
        }
        if (!everyStart) {
            Insert(text, at++, "SWITCHES=/N");
            result.edits.push_back({LineEdit::Kind::Added, {}, "SWITCHES=/N"});
        }
    }
    if (ours == std::string::npos) {
        Insert(text, at, InstallLine);
        result.edits.push_back({LineEdit::Kind::Added, {}, InstallLine});
    }
    if (!result.edits.empty())
        result.text = JoinLines(text);
    return result;
}

namespace {

// True when every start has loaded KEYB before our INSTALL= line (`toOurLine`), or by the end.
bool KeybRunsBefore(const std::string& configSys, bool toOurLine) {
    const TextLines text = SplitLines(configSys);
    const std::vector<bool> every = RunByEveryStart(text);
    std::size_t ours = text.lines.size();
    for (std::size_t i = 0; toOurLine && i < text.lines.size() && ours == text.lines.size(); ++i) {
        if (every[i] && IsInstallLine(text.lines[i].text))
            ours = i;
    }
    // The menu's items, and whether each has loaded the keyboard driver by our line.
    std::vector<std::pair<std::string, bool>> items;
    std::string block;
    for (std::size_t i = 0; i < ours; ++i) {
        const std::string& line = text.lines[i].text;
        if (IsBlockHeader(line)) {
            block = BlockName(line);
        } else if (block == "MENU" && KeyOf(line) == "MENUITEM") {
            const std::string value = ValueOf(line);
            items.push_back({AsciiUpper(Trim(value.substr(0, value.find(',')))), false});
        } else if (LoadsKeyb(line)) {
            if (every[i])
                return true;
            for (auto& item : items)
                item.second = item.second || item.first == block;
        }
    }
    if (items.empty())
        return false;
    for (const auto& item : items) {
        if (!item.second)
            return false;
    }
    return true;
}

} // namespace

bool KeybRunsBeforeInstallLine(const std::string& configSys) {
    return KeybRunsBefore(configSys, true);
}

bool KeybRunsInConfigSys(const std::string& configSys) {
    return KeybRunsBefore(configSys, false);
}

bool KeybRunsBeforeBootScriptLine(const std::string& autoexecBat) {
    const std::string ours = AsciiUpper(QG_BOOT_FOLDER "\\" QG_BOOT_PROGRAM);
    for (const TextLine& line : SplitLines(autoexecBat).lines) {
        std::string command = Trim(line.text);
        if (AsciiUpper(command) == ours)
            return false;
        if (!command.empty() && command[0] == '@')
            command = Trim(command.substr(1));
        // LH /L:1 KEYB GR: the program after LOADHIGH and its options.
        const std::string first = AsciiUpper(command.substr(0, command.find_first_of(" \t")));
        if (first == "LH" || first == "LOADHIGH") {
            std::size_t at = first.size();
            while ((at = command.find_first_not_of(" \t", at)) != std::string::npos &&
                   command[at] == '/')
                at = command.find_first_of(" \t", at);
            command = at == std::string::npos ? std::string() : command.substr(at);
        }
        if (StartsKeyb(command))
            return true;
    }
    return false;
}

bool IsTextMsdosSys(const std::string& msdosSys) {
    const std::string body = msdosSys.substr(0, msdosSys.find(EndOfFileMark));
    for (unsigned char c : body) {
        if (c < 0x20 && c != '\t' && c != '\r' && c != '\n')
            return false;
    }
    // Windows 95 writes [Paths] and [Options]; a file with [Paths] alone is valid too.
    for (const TextLine& line : SplitLines(body).lines) {
        if (IsBlockHeader(line.text) &&
            (BlockName(line.text) == "OPTIONS" || BlockName(line.text) == "PATHS"))
            return true;
    }
    return false;
}

std::optional<std::string> SettingIn(const std::string& text, const std::string& section,
                                     const std::string& key) {
    std::optional<std::string> value;
    bool inSection = false;
    for (const TextLine& line : SplitLines(text).lines) {
        if (IsBlockHeader(line.text))
            inSection = BlockName(line.text) == AsciiUpper(section);
        else if (inSection && KeyOf(line.text) == AsciiUpper(key))
            value = ValueOf(line.text);
    }
    return value;
}

SystemFileEdit CloseKeysInMsdosSys(const std::string& msdosSys) {
    SystemFileEdit result{msdosSys, {}};
    if (!IsTextMsdosSys(msdosSys))
        return result;
    TextLines text = SplitLines(msdosSys);
    auto isOptions = [](const std::string& line) {
        return IsBlockHeader(line) && BlockName(line) == "OPTIONS";
    };
    std::size_t header = FindLast(text, isOptions);
    if (header == std::string::npos) {
        header = text.lines.size();
        Insert(text, header, "[Options]");
        result.edits.push_back({LineEdit::Kind::Added, {}, "[Options]"});
    }
    std::size_t end = header + 1;
    while (end < text.lines.size() && !IsBlockHeader(text.lines[end].text))
        ++end;
    const struct {
        const char* name;
        bool addWhenAbsent;
    } settings[] = {{"BootKeys", true},      {"BootWarn", true}, {"BootMenu", false},
                    {"BootFailSafe", false}, {"BootSafe", false}};
    std::vector<std::string> added;
    for (const auto& setting : settings) {
        const std::string closed = std::string(setting.name) + "=0";
        bool found = false;
        for (std::size_t i = header + 1; i < end; ++i) {
            std::string& line = text.lines[i].text;
            if (KeyOf(line) != AsciiUpper(setting.name))
                continue;
            found = true;
            if (ValueOf(line) != "0") {
                result.edits.push_back({LineEdit::Kind::Replaced, line, closed});
                line = closed;
            }
        }
        if (!found && setting.addWhenAbsent)
            added.push_back(closed);
    }
    if (!added.empty() && text.lines[header].end.empty())
        text.lines[header].end = LineEnd;
    for (std::size_t i = 0; i < added.size(); ++i) {
        Insert(text, header + 1 + i, added[i]);
        result.edits.push_back({LineEdit::Kind::Added, {}, added[i]});
    }
    if (JoinLines(text).size() < MsdosSysMinimumSize)
        EndLastLine(text);
    while (JoinLines(text).size() < MsdosSysMinimumSize) {
        Insert(text, text.lines.size(), PaddingLine);
        result.edits.push_back({LineEdit::Kind::Added, {}, PaddingLine});
    }
    result.text = JoinLines(text);
    return result;
}

std::string FormatRecord(const SystemFileRecord& record) {
    // Formatted by hand: the C runtime's printf would pull locale functions into the program.
    std::string header = "QGR1 ";
    header += record.present ? '1' : '0';
    header += ' ';
    for (int shift = 28; shift >= 0; shift -= 4)
        header += "0123456789ABCDEF"[(record.attributes >> shift) & 0xF];
    header += ' ';
    header += record.switchN ? '1' : '0';
    return header + "\r\n" + record.bytes;
}

std::optional<SystemFileRecord> ParseRecord(const std::string& bytes) {
    // "QGR1 p aaaaaaaa s\r\n", then the file's bytes.
    constexpr std::size_t HeaderSize = 19;
    if (bytes.size() < HeaderSize || bytes.compare(0, 5, "QGR1 ") != 0 || bytes[6] != ' ' ||
        bytes[15] != ' ' || bytes.compare(17, 2, "\r\n") != 0)
        return std::nullopt;
    auto flag = [](char c) -> std::optional<bool> {
        if (c == '0' || c == '1')
            return c == '1';
        return std::nullopt;
    };
    const std::optional<bool> present = flag(bytes[5]), switchN = flag(bytes[16]);
    if (!present || !switchN)
        return std::nullopt;
    SystemFileRecord record;
    for (std::size_t i = 7; i < 15; ++i) {
        const char c = bytes[i];
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0)
            return std::nullopt;
        record.attributes = record.attributes << 4 | static_cast<std::uint32_t>(digit);
    }
    record.present = *present;
    record.switchN = *switchN;
    record.bytes = bytes.substr(HeaderSize);
    if (!record.present && !record.bytes.empty())
        return std::nullopt;
    return record;
}

SystemFileRestore OpenKeysInConfigSys(bool present, const std::string& configSys,
                                      const SystemFileRecord* record) {
    if (!present)
        return {};
    TextLines text = SplitLines(configSys);
    if (record) {
        const SystemFileEdit lockWrote = CloseKeysInConfigSys(record->bytes, record->switchN);
        if (configSys == lockWrote.text && !lockWrote.edits.empty()) {
            SystemFileRestore restore;
            restore.exact = true;
            restore.action = record->present ? SystemFileRestore::Action::Write
                                             : SystemFileRestore::Action::Delete;
            restore.text = record->bytes;
            return restore;
        }
        UndoEdits(text, lockWrote.edits);
    }
    for (std::size_t at; (at = FindLast(text, IsInstallLine)) != std::string::npos;)
        text.lines.erase(text.lines.begin() + static_cast<std::ptrdiff_t>(at));
    if (record && !record->present && OnlyBlankLines(text)) {
        SystemFileRestore restore;
        restore.action = SystemFileRestore::Action::Delete;
        return restore;
    }
    return Written(configSys, JoinLines(text));
}

namespace {

// A file the lock edited with `close`, without the lock's changes (see OpenKeysInMsdosSys).
SystemFileRestore OpenKeys(const std::string& now, const SystemFileRecord& record,
                           SystemFileEdit (*close)(const std::string&)) {
    const SystemFileEdit lockWrote = close(record.bytes);
    if (lockWrote.edits.empty())
        return {};
    if (now == lockWrote.text) {
        SystemFileRestore restore = Written(now, record.bytes);
        restore.exact = true;
        return restore;
    }
    TextLines text = SplitLines(now);
    UndoEdits(text, lockWrote.edits);
    return Written(now, JoinLines(text));
}

} // namespace

SystemFileRestore OpenKeysInMsdosSys(const std::string& msdosSys, const SystemFileRecord& record) {
    return OpenKeys(msdosSys, record, CloseKeysInMsdosSys);
}

SystemFileEdit CloseKeysInCompressionIni(const std::string& ini) {
    SystemFileEdit result{ini, {}};
    TextLines text = SplitLines(ini);
    bool found = false;
    for (TextLine& line : text.lines) {
        if (KeyOf(line.text) != "SWITCHES")
            continue;
        found = true;
        if (HoldsSwitchN(ValueOf(line.text)))
            continue;
        const std::string before = line.text;
        line.text = line.text.substr(0, line.text.find_last_not_of(" \t") + 1) + " /N";
        result.edits.push_back({LineEdit::Kind::Replaced, before, line.text});
    }
    if (!found) {
        Insert(text, text.lines.size(), "Switches=/N");
        result.edits.push_back({LineEdit::Kind::Added, {}, "Switches=/N"});
    }
    if (!result.edits.empty())
        result.text = JoinLines(text);
    return result;
}

SystemFileRestore OpenKeysInCompressionIni(const std::string& ini, const SystemFileRecord& record) {
    return OpenKeys(ini, record, CloseKeysInCompressionIni);
}

} // namespace qg
