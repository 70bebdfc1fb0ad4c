/*
 * Boot-script text handling (see BootScript.h).
 */
#include "lockconfig/BootScript.h"

#include "lockconfig/BootFiles.h"

namespace qg {

namespace {

constexpr char EndOfFileMark = '\x1a';
constexpr char LineEnd[] = "\r\n";

bool IsBootScriptLineAnyCase(const std::string& line) {
    return AsciiLower(line) == BootScriptLineLower;
}

} // namespace

std::string AsciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool WindowsRunsBootScript(std::uint32_t getVersion) {
    constexpr std::uint32_t NotNt = 0x80000000u;
    const unsigned major = getVersion & 0xFF;
    const unsigned minor = (getVersion >> 8) & 0xFF;
    if (!(getVersion & NotNt))
        return false;
    return !(major == 4 && minor == 90);
}

BootScriptText SplitBootScript(const std::string& bytes) {
    BootScriptText text;
    const std::size_t mark = bytes.find(EndOfFileMark);
    const std::size_t end = mark == std::string::npos ? bytes.size() : mark;
    if (mark != std::string::npos)
        text.tail = bytes.substr(mark);
    text.lastLineEnded = true;
    std::size_t start = 0;
    while (start < end) {
        std::size_t stop = start;
        while (stop < end && bytes[stop] != '\r' && bytes[stop] != '\n')
            ++stop;
        text.lines.push_back(bytes.substr(start, stop - start));
        if (stop == end) {
            text.lastLineEnded = false;
            break;
        }
        if (bytes[stop] == '\r' && stop + 1 < end && bytes[stop + 1] == '\n')
            ++stop;
        start = stop + 1;
    }
    return text;
}

BootScriptStatus ScanBootScriptStatus(const std::string& bytes) {
    const BootScriptText text = SplitBootScript(bytes);
    if (text.lines.empty())
        return BootScriptStatus::NoLines;
    for (const std::string& line : text.lines) {
        if (IsBootScriptLineAnyCase(line))
            return BootScriptStatus::Active;
    }
    return BootScriptStatus::NotActive;
}

bool HoldsExactBootScriptLine(const std::string& bytes) {
    for (const std::string& line : SplitBootScript(bytes).lines) {
        if (line == BootScriptLine)
            return true;
    }
    return false;
}

std::string WithBootScriptLine(const std::string& bytes) {
    const std::size_t mark = bytes.find(EndOfFileMark);
    std::string body = bytes.substr(0, mark);
    const std::string tail = mark == std::string::npos ? std::string() : bytes.substr(mark);
    const bool endsWithLineEnd =
        body.size() >= 2 && body.compare(body.size() - 2, 2, LineEnd) == 0;
    if (!body.empty() && !endsWithLineEnd)
        body += LineEnd;
    body += BootScriptLine;
    body += LineEnd;
    return body + tail;
}

std::optional<std::string> WithoutBootScriptLine(const std::string& bytes) {
    const BootScriptText text = SplitBootScript(bytes);
    bool found = false;
    std::string result;
    for (const std::string& line : text.lines) {
        if (IsBootScriptLineAnyCase(line)) {
            found = true;
        } else {
            result += line;
        }
        result += LineEnd;
    }
    if (!found)
        return std::nullopt;
    return result + text.tail;
}

} // namespace qg
