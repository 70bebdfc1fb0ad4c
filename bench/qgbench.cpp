/*
 * The Windows side of bench/run.sh: starts programs and watches them from outside, printing
 * one "name=value" line per figure.
 *   qgbench start FLOOR.EXE QUILLGATE.EXE RUNS   median time to the first visible window
 *   qgbench peak EXE CAPTION NAME                peak working set once CAPTION is up
 *   qgbench remove QUILLGATE.EXE LINES RUNS      Apply with "No" on a boot script of LINES
 * The removal changes c:\autoexec.bat and c:\Qg_Data of the Wine prefix it runs in.
 */
#include "tests/driver/Driver.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr char Home[] = "Quillgate v1.0 Build 05";
// The removal's fixed pauses: half a second before and after the boot script is swapped.
constexpr double RemovalPauses = 1.0;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER count;
    ::QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / frequency.QuadPart;
}

// A program started by the clock: `start` is read just before the process is created.
struct Started {
    explicit Started(const std::string& exe)
        : start(Now()), process("\"" + exe + "\"", exe.substr(0, exe.find_last_of('\\'))) {}

    // The first visible top-level window (with this caption unless empty), or a message box
    // when `messageBox`, polled each millisecond; null after the timeout.
    HWND WaitWindow(const std::string& caption, double seconds, bool messageBox = false) const {
        const double end = Now() + seconds;
        do {
            for (HWND h : process.VisibleWindows()) {
                char name[16] = {};
                ::GetClassNameA(h, name, sizeof name);
                if (messageBox ? std::string(name) == "#32770"
                               : caption.empty() || qgtest::Text(h) == caption)
                    return h;
            }
            ::Sleep(1);
        } while (Now() < end);
        return nullptr;
    }

    double start;
    qgtest::Process process;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double TimeToWindow(const std::string& exe) {
    Started program(exe);
    if (!program.WaitWindow("", 20))
        throw std::runtime_error("no window from " + exe);
    return Now() - program.start;
}

int StartUp(const std::string& floor, const std::string& quillgate, int runs) {
    std::vector<double> floorTimes, quillgateTimes;
    TimeToWindow(floor); // the first start of any program also warms Wine's caches
    for (int i = 0; i < runs; ++i) {
        floorTimes.push_back(TimeToWindow(floor));
        quillgateTimes.push_back(TimeToWindow(quillgate));
    }
    std::printf("start_floor_ms=%.1f\nstart_quillgate_ms=%.1f\nstart_runs=%d\n",
                1000 * Median(floorTimes), 1000 * Median(quillgateTimes), runs);
    return 0;
}

int Peak(const std::string& exe, const std::string& caption, const std::string& name) {
    Started program(exe);
    if (!program.WaitWindow(caption, 20))
        throw std::runtime_error("no window " + caption);
    ::Sleep(500);
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(program.process.Handle(), &counters, sizeof counters))
        throw std::runtime_error("no memory counters");
    std::printf("peak_%s_kb=%lu\n", name.c_str(),
                static_cast<unsigned long>(counters.PeakWorkingSetSize / 1024));
    return 0;
}

std::string BigBootScript(int lines) {
    std::string script;
    for (int i = 0; i < lines; ++i) {
        if (i == lines / 2)
            script += "c:\\Qg_Data\\qg.exe\r\n";
        else
            script += "rem line " + std::to_string(i) + " of a long boot script\r\n";
    }
    return script;
}

int Remove(const std::string& quillgate, int lines, int runs) {
    std::vector<double> totals;
    const std::string bin = quillgate.substr(0, quillgate.find_last_of('\\'));
    for (int i = 0; i < runs; ++i) {
        qgtest::CleanDriveC();
        qgtest::WriteFileBytes("c:\\autoexec.bat", BigBootScript(lines));
        ::CreateDirectoryA("c:\\Qg_Data", nullptr);
        qgtest::WriteFileBytes("c:\\Qg_Data\\vhod.dll", "\x38\x0e\x08");
        qgtest::WriteFileBytes("c:\\Qg_Data\\qg.exe", qgtest::ReadFileBytes(bin + "\\qg.exe"));
        qgtest::WriteFileBytes("c:\\Qg_Data\\rb.com", qgtest::ReadFileBytes(bin + "\\rb.com"));
        Started program(quillgate);
        HWND home = program.WaitWindow(Home, 20);
        if (!home)
            throw std::runtime_error("no home window");
        ::Sleep(300);
        qgtest::Click(qgtest::Child(home, "No"));
        ::Sleep(300);
        const double clicked = Now();
        qgtest::Click(qgtest::Child(home, "&Apply"));
        HWND box = program.WaitWindow("", 60, true);
        const double took = Now() - clicked;
        const std::string text = box ? qgtest::ReadMessageBox(box).text : "";
        const std::string after = qgtest::ReadFileBytes("c:\\autoexec.bat");
        if (text != "Settings saved, thank you." ||
            after.find("c:\\Qg_Data\\qg.exe") != std::string::npos)
            throw std::runtime_error("the removal did not finish: " + text);
        totals.push_back(took);
    }
    qgtest::CleanDriveC();
    const double total = Median(totals);
    std::printf("remove_lines=%d\nremove_total_ms=%.0f\nremove_net_ms=%.0f\nremove_runs=%d\n",
                lines, 1000 * total, 1000 * (total - RemovalPauses), runs);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const std::string command = argc > 1 ? argv[1] : "";
        if (command == "start" && argc == 5)
            return StartUp(argv[2], argv[3], std::atoi(argv[4]));
        if (command == "peak" && argc == 5)
            return Peak(argv[2], argv[3], argv[4]);
        if (command == "remove" && argc == 5)
            return Remove(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
        std::fprintf(stderr, "usage: see the top of bench/qgbench.cpp\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qgbench: %s\n", e.what());
    }
    return 1;
}
