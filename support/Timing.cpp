/*
 * Wait and its clock (see Timing.h).
 */
#include "support/Timing.h"

#include "support/MessageLoop.h"

#include <windows.h>

#include <cmath>

namespace qg {

namespace {

// Every kind of event Windows 95 can wake a wait for. Not QS_ALLINPUT: MinGW's headers put
// QS_RAWINPUT (0x400, Windows XP) into it whatever _WIN32_WINNT says, and older systems refuse
// a mask with a bit they do not know, so the wait would fail at once and the pause would spin.
constexpr DWORD Windows95Events = QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE |
                                  QS_TIMER | QS_PAINT | QS_SENDMESSAGE | QS_HOTKEY;
static_assert(Windows95Events == 0xFF, "only the wake-up bits Windows 95 knows");

// When the wait itself fails, the pause sleeps in steps this short, so events still run.
constexpr DWORD FallbackStepMs = 10;

} // namespace

// The pause itself; `typed` as PumpPendingMessages takes it.
void WaitPumping(double seconds, std::vector<MSG>* typed);

double MonotonicSeconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        if (!::QueryPerformanceFrequency(&f))
            f.QuadPart = 0;
        return f;
    }();
    if (frequency.QuadPart > 0) {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
    }
    // No high-resolution counter: GetTickCount wraps after 49.7 days, so extend it by hand.
    static DWORD last = ::GetTickCount();
    static unsigned long long high = 0;
    const DWORD now = ::GetTickCount();
    if (now < last)
        high += 0x100000000ULL;
    last = now;
    return static_cast<double>(high + now) / 1000.0;
}

void Wait(double seconds) {
    std::vector<MSG>* const dispatchAll = nullptr;
    WaitPumping(seconds, dispatchAll);
}

void WaitKeepingTyped(double seconds, std::vector<MSG>& typed) {
    WaitPumping(seconds, &typed);
}

void WaitPumping(double seconds, std::vector<MSG>* typed) {
    const double start = MonotonicSeconds();
    for (;;) {
        const double elapsed = MonotonicSeconds() - start;
        if (!(elapsed < seconds))
            return;
        if (!PumpPendingMessages(typed))
            return;
        const double left = seconds - (MonotonicSeconds() - start);
        if (left <= 0)
            continue;
        // Round up so the last sleep does not stop short and spin.
        const DWORD ms = static_cast<DWORD>(std::ceil(left * 1000.0));
        // The Ex form with MWMO_INPUTAVAILABLE is missing on Windows 95. The plain form only
        // wakes for input that arrived since the last look at the queue, which is fine here:
        // the pump above has just emptied it.
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, Windows95Events) == WAIT_FAILED)
            ::Sleep(ms < FallbackStepMs ? ms : FallbackStepMs);
    }
}

} // namespace qg
