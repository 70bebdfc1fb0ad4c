/*
 * The program's message pump. Every top-level window of ours gets dialog-style keyboard
 * handling (Tab, arrow keys between option buttons, Enter for the default button, Alt+letter
 * accelerators), also while Wait dispatches events inside an action.
 */
#pragma once

#include <windows.h>

#include <vector>

namespace qg {

// Dispatches everything already queued and returns when the queue is empty. A WM_QUIT found
// there is put back, so the outer loop still sees it, and false is returned: the program is
// ending, and a nested loop should stop. With `typed`, what the user types is kept there
// instead (characters, and Enter and Esc), for a box that is not up yet.
bool PumpPendingMessages(std::vector<MSG>* typed = nullptr);

// Wait (Timing.h) that keeps what is typed meanwhile in `typed`, as PumpPendingMessages does.
void WaitKeepingTyped(double seconds, std::vector<MSG>& typed);

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();

} // namespace qg
