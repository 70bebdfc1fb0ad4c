/*
 * Crash safety: an installation and a removal are killed at moments spread over them, pauses
 * included, and each state left is looked at once the start-up recovery has run. Drive C: must
 * hold the old or the new boot script whole, each boot-folder file absent, old or new, never a
 * mix; the boot script and CONFIG.SYS never name a qg.exe that is not there, nor one without a
 * password (the lock is absent or asks); over a change of password, the password that the boot
 * prompt reads is the old or the new one at every kill, never missing.
 * Most kills hit qgsteps, which runs the same steps with the same pauses without a window; one
 * per action hits the program itself, through its windows. QG_CRASH_RUNS sets the number of
 * windowless kills of each action (20 by default), QG_CRASH_SEED the jitter of the moments
 * (tests/crash.sh).
 */
#include "tests/e2e/E2eCommon.h"

#include "lockconfig/BootScript.h"
#include "lockconfig/FileSwap.h"
#include "lockconfig/StartupKeyEdits.h"
#include "lockconfig/StartupKeySteps.h"
#include "support/Handles.h"
#include "support/Timing.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <vector>

#ifndef QG_STEPS_EXE
#error QG_STEPS_EXE must name the windowless steps program
#endif

using namespace e2e;

namespace {

int CrashRuns() {
    const char* runs = std::getenv("QG_CRASH_RUNS");
    const int n = runs ? std::atoi(runs) : 0;
    return n > 0 ? n : 20;
}

unsigned CrashSeed() {
    const char* seed = std::getenv("QG_CRASH_SEED");
    return seed ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : 1u;
}

// Kill moments spread evenly over the span, each moved by a jitter within its own slot, in a
// shuffled order: run one after another, the moments near the end, the few that can find the
// action's changes, would all fall in the same few seconds, and a burst of load there (another
// test starting) could delay every one of those runs past its moment.
std::vector<double> KillMoments(double span, int runs, unsigned seed) {
    std::vector<double> moments;
    unsigned state = seed * 2654435761u + 1u;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int i = 0; i < runs; ++i)
        moments.push_back(span * (i + next() / double(1u << 24)) / runs);
    for (int i = runs - 1; i > 0; --i)
        std::swap(moments[i], moments[next() % (i + 1)]);
    return moments;
}

// The boot script of the tests: long enough that writing it takes a moment.
std::string LongBootScript() {
    std::string script = "@echo off\r\n";
    for (int i = 0; i < 200; ++i)
        script += "rem line " + std::to_string(i) + "\r\n";
    return script + "win\r\n";
}

// A file as it was found: absent, or with these bytes.
struct FileState {
    bool present = false;
    std::string bytes;
    bool operator==(const FileState& other) const {
        return present == other.present && (!present || bytes == other.bytes);
    }
};

FileState ReadState(const std::string& path) {
    FileState state;
    state.bytes = ReadFileBytes(path, &state.present);
    return state;
}

// The password that the boot prompt reads: the password file or, while that is missing for an
// instant of a change (Windows 95/98 cannot rename over it), the new one beside it.
FileState PromptPassword() {
    const FileState file = ReadState(qg::PasswordFilePath);
    return file.present ? file : ReadState(qg::PasswordNewPath);
}

// qgsteps with these arguments; its application folder is the build's, with qg.exe and rb.com.
std::string StepsCommand(const std::string& arguments) {
    return "\"" + HostPath(QG_STEPS_EXE) + "\" " + arguments;
}

// qgsteps with these arguments, once it has begun: the action's moments count from there, not
// from the start of its process, which under Wine takes from a tenth of a second to over a
// second on a busy machine and would push every kill of a run ahead of the action.
class Steps {
public:
    explicit Steps(const std::string& arguments)
        : m_started(StartedEvent()), m_process(StepsCommand(arguments)) {
        const double created = qg::MonotonicSeconds();
        const HANDLE either[] = {m_started.get(), m_process.Handle()};
        m_began = m_started && ::WaitForMultipleObjects(2, either, FALSE, DWORD(Patience * 1000)) ==
                                   WAIT_OBJECT_0;
        m_beganAt = qg::MonotonicSeconds();
        m_startSeconds = m_beganAt - created;
    }
    bool Began() const { return m_began; }
    double SinceBegan() const { return qg::MonotonicSeconds() - m_beganAt; }
    double StartSeconds() const { return m_startSeconds; }
    Process& process() { return m_process; }

private:
    static qg::UniqueKernelHandle StartedEvent() {
        qg::UniqueKernelHandle event(::CreateEventA(nullptr, TRUE, FALSE, QG_STEPS_STARTED));
        if (event)
            ::ResetEvent(event.get()); // one left by an earlier run may still be set
        return event;
    }

    qg::UniqueKernelHandle m_started; // before the process, which sets it
    Process m_process;
    bool m_began = false;
    double m_beganAt = 0;
    double m_startSeconds = 0;
};

// Runs qgsteps to its end; false when it did not end in time or failed.
bool RunSteps(const std::string& arguments, double* seconds = nullptr) {
    Steps steps(arguments);
    DWORD code = 1;
    const bool ended = steps.Began() && steps.process().WaitExit(Patience, &code);
    if (seconds)
        *seconds = steps.SinceBegan();
    return ended && code == 0;
}

struct CrashCase {
    const char* name;
    std::function<void()> layOut;              // the state before the action
    std::string steps;                         // the action's qgsteps arguments
    std::function<bool(App&, HWND)> start;     // the same action through the windows
    std::function<void()> checkDone;           // the state after the uncut action
    std::vector<const char*> files;            // each absent, old or new, never a mix
    bool passwordKept;                         // the prompt's password never missing
    std::vector<const char*> kept = {};        // each old or new, never absent
};

// Runs the action once uncut to measure it and to see the new state, then kills it at each
// moment and runs the start-up recovery.
void RunCrashes(const CrashCase& c) {
    const std::vector<std::string> paths(c.files.begin(), c.files.end());
    auto snapshot = [&] {
        std::vector<FileState> states{ReadState(qg::BootScriptPath)};
        for (const std::string& path : paths)
            states.push_back(ReadState(path));
        for (const char* path : c.kept)
            states.push_back(ReadState(path));
        states.push_back(PromptPassword());
        return states;
    };
    c.layOut();
    const std::vector<FileState> before = snapshot();
    double duration = 0;
    ASSERT_TRUE(RunSteps(c.steps, &duration)) << c.name;
    c.checkDone();
    const std::vector<FileState> after = snapshot();
    ASSERT_TRUE(after[0].present);

    int seen[3] = {0, 0, 0}; // old state, new state, some files old and some new
    auto check = [&](const std::string& when) {
        const std::vector<FileState> now = snapshot();
        EXPECT_TRUE(now[0].present) << when;
        EXPECT_TRUE(now[0] == before[0] || now[0] == after[0])
            << when << ": the boot script holds " << now[0].bytes.size() << " bytes";
        for (std::size_t i = 0; i < paths.size(); ++i) {
            const FileState& file = now[i + 1];
            EXPECT_TRUE(!file.present || file == before[i + 1] || file == after[i + 1])
                << when << ": " << paths[i] << " holds " << file.bytes.size() << " bytes";
        }
        for (std::size_t i = 0; i < c.kept.size(); ++i) {
            const std::size_t at = paths.size() + 1 + i;
            EXPECT_TRUE(now[at].present && (now[at] == before[at] || now[at] == after[at]))
                << when << ": " << c.kept[i] << " holds "
                << (now[at].present ? std::to_string(now[at].bytes.size()) + " bytes"
                                    : std::string("nothing"));
        }
        const FileState& password = now.back();
        if (c.passwordKept) {
            EXPECT_TRUE(password.present && (password == before.back() || password == after.back()))
                << when << ": the boot prompt would find "
                << (password.present ? std::to_string(password.bytes.size()) + " bytes"
                                     : std::string("no password"));
        }
        // A line that starts the prompt finds it and its password: the lock asks or is absent.
        const FileState config = ReadState(qg::ConfigSysPath);
        const bool named = qg::ScanBootScriptStatus(now[0].bytes) == qg::BootScriptStatus::Active ||
                           (config.present && qg::HoldsInstallLine(config.bytes));
        if (named) {
            EXPECT_TRUE(PathPresent(qg::BootProgramTarget))
                << when << ": a line names " << qg::BootProgramTarget << ", which is not there";
            EXPECT_TRUE(password.present) << when << ": a line starts a prompt without a password";
        }
        for (const qg::SwappedFile* file : qg::SwappedFiles) {
            for (const char* leftover : {file->scratch, file->backup})
                EXPECT_FALSE(PathPresent(leftover)) << when << ": " << leftover;
        }
        ++seen[now == before ? 0 : now == after ? 1 : 2];
    };

    const unsigned seed = CrashSeed();
    // Past the end by a quarter, so that the last kills find the action done even when the busy
    // machine runs it late; no more, as the steps without windows take about a second.
    const std::vector<double> moments = KillMoments(duration * 1.25 + 0.05, CrashRuns(), seed);
    double slowestStart = 0;
    for (double moment : moments) {
        CleanDriveC();
        c.layOut();
        {
            Steps steps(c.steps);
            ASSERT_TRUE(steps.Began()) << moment;
            slowestStart = std::max(slowestStart, steps.StartSeconds());
            Sleep(moment);
            steps.process().Kill();
        }
        ASSERT_TRUE(RunSteps("recover")) << moment;
        check(std::string(c.name) + " killed after " + std::to_string(moment) + " s");
    }
    std::cout << c.name << ": measured " << duration << " s, seed " << seed << ", "
              << moments.size() << " kills: " << seen[0] << " old, " << seen[1] << " new, "
              << seen[2] << " in between; the slowest process start took " << slowestStart
              << " s\n";
    // Moments that all miss the action would test nothing.
    EXPECT_GT(seen[0] + seen[2], 0);
    EXPECT_GT(seen[1] + seen[2], 0);

    // Once through the windows, killed about halfway through the action's steps; the
    // program's next start puts things right before the splash shows.
    CleanDriveC();
    c.layOut();
    {
        App app;
        HWND home = OpenHome(app);
        ASSERT_NE(home, nullptr);
        ASSERT_TRUE(c.start(app, home));
        Sleep(duration / 2);
        app.Kill();
    }
    App again;
    ASSERT_NE(again.WaitWindow(""), nullptr);
    check(std::string(c.name) + " killed through the windows after " +
          std::to_string(duration / 2) + " s");
}

// The boot folder holds what a complete installation of this password writes, the programs
// copied from the build's folder.
void ExpectInstalled(const std::string& password) {
    EXPECT_EQ(ReadFileBytes(qg::PasswordFilePath), qg::ScramblePassword(password));
    for (const char* name : {"\\qg.exe", "\\rb.com"})
        EXPECT_EQ(ReadFileBytes(std::string(qg::BootFolderPathLower) + name),
                  ReadFileBytes(BinFolder() + name))
            << name;
}

// CONFIG.SYS and MSDOS.SYS of a Windows 98 drive, long enough that writing them takes a moment.
std::string LongConfigSys() {
    std::string config = "DEVICE=C:\\WINDOWS\\HIMEM.SYS\r\n";
    for (int i = 0; i < 100; ++i)
        config += "REM line " + std::to_string(i) + "\r\n";
    return config;
}
std::string MsdosSys98() {
    std::string text = "[Paths]\r\nWinDir=C:\\WINDOWS\r\n\r\n[Options]\r\nBootGUI=1\r\n";
    for (char letter = 'a'; letter <= 's'; ++letter)
        text += ";" + std::string(68, 'x') + letter + "\r\n";
    return text;
}
constexpr DWORD HiddenSystemReadOnly =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;

void LayOutWindows98Drive(const std::string& config, const std::string& msdos) {
    WriteFileBytes(qg::ConfigSysPath, config);
    WriteFileBytes(qg::MsdosSysPath, msdos);
    ::SetFileAttributesA(qg::MsdosSysPath, HiddenSystemReadOnly);
}

const std::vector<const char*> BootFolderFiles = {"c:\\qg_data\\vhod.dll", "c:\\qg_data\\qg.exe",
                                                  "c:\\qg_data\\rb.com"};

bool Remove(App&, HWND home) {
    ApplyNo(home);
    return true;
}

} // namespace

class E2eCrash : public E2e {};

TEST_F(E2eCrash, KilledInstallationLeavesWholeFiles) {
    // A change of password over an installed lock whose line was taken out by hand: every step
    // of the installation runs, the pause before the new password file included.
    RunCrashes({"installation",
                [] {
                    LayOutInstalledFolder("OldPassword123");
                    WriteFileBytes(qg::BootScriptPath, LongBootScript());
                },
                "install New1 " + BinFolder(),
                [](App& app, HWND home) { return ApplyYes(app, home, "New1"); },
                [] {
                    EXPECT_EQ(ReadFileBytes(qg::BootScriptPath), LongBootScript() + Line + "\r\n");
                    ExpectInstalled("New1");
                },
                BootFolderFiles, true});
}

TEST_F(E2eCrash, KilledRemovalLeavesWholeFiles) {
    const std::string script = LongBootScript();
    const std::size_t end = script.size() - 5; // before "win"
    const std::string installed = script.substr(0, end) + Line + "\r\n" + script.substr(end);
    const std::string removed = script.substr(0, end) + "\r\n" + script.substr(end);
    RunCrashes({"removal",
                [installed] {
                    LayOutInstalledFolder("OldPassword123");
                    WriteFileBytes(qg::BootScriptPath, installed);
                },
                "remove", Remove,
                [removed] {
                    EXPECT_EQ(ReadFileBytes(qg::BootScriptPath), removed);
                    EXPECT_FALSE(PathPresent(qg::BootFolderPath));
                },
                BootFolderFiles, false});
}

TEST_F(E2eCrash, KilledStrongFirstInstallationLeavesNoLineWithoutItsPrompt) {
    // A new user's first installation with the keys closed, on a Windows 98 drive.
    const std::string config = LongConfigSys(), msdos = MsdosSys98();
    RunCrashes({"first strong installation",
                [&] {
                    WriteFileBytes(qg::BootScriptPath, LongBootScript());
                    LayOutWindows98Drive(config, msdos);
                },
                "install New1 " + BinFolder() + " close",
                [](App& app, HWND home) { return ApplyYes(app, home, "New1", true); },
                [&] {
                    ExpectInstalled("New1");
                    EXPECT_EQ(ReadFileBytes(qg::ConfigSysPath), config + QG_INSTALL_LINE "\r\n");
                    EXPECT_NE(ReadFileBytes(qg::MsdosSysPath), msdos);
                },
                BootFolderFiles, false, {qg::ConfigSysPath, qg::MsdosSysPath}});
}

TEST_F(E2eCrash, KilledStrongRemovalLeavesWholeFiles) {
    const std::string config = LongConfigSys(), msdos = MsdosSys98();
    // The drive as the strong lock leaves it, with its records of what was there before.
    const std::string closedConfig = qg::CloseKeysInConfigSys(config, false).text;
    const std::string closedMsdos = qg::CloseKeysInMsdosSys(msdos).text;
    RunCrashes({"strong removal",
                [&] {
                    LayOutInstalledFolder("OldPassword123");
                    WriteFileBytes(qg::BootScriptPath, LongBootScript() + Line + "\r\n");
                    LayOutWindows98Drive(closedConfig, closedMsdos);
                    WriteFileBytes(qg::ConfigSysRecordPath,
                                   qg::FormatRecord({true, 0, false, config}));
                    WriteFileBytes(qg::MsdosSysRecordPath,
                                   qg::FormatRecord({true, HiddenSystemReadOnly, false, msdos}));
                },
                "remove", Remove,
                [&] {
                    EXPECT_EQ(ReadFileBytes(qg::ConfigSysPath), config);
                    EXPECT_EQ(ReadFileBytes(qg::MsdosSysPath), msdos);
                    EXPECT_EQ(::GetFileAttributesA(qg::MsdosSysPath) & HiddenSystemReadOnly,
                              HiddenSystemReadOnly);
                    EXPECT_FALSE(PathPresent(qg::BootFolderPath));
                },
                BootFolderFiles, false, {qg::ConfigSysPath, qg::MsdosSysPath}});
}
