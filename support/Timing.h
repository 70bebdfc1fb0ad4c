/*
 * Wait: a pause that keeps the windows live.
 */
#pragma once

#include <functional>

namespace qg {

// A pause inside the lock's steps, given the seconds: Wait in the program, so the windows stay
// live; in the unit tests, a recorder that looks at the disk instead.
using Pause = std::function<void(double seconds)>;

// Returns once at least `seconds` have passed on a monotonic clock, dispatching window events
// meanwhile; returns at once, dispatching nothing, for 0 or less. Between events the thread
// sleeps, so a long pause costs no processor time. Returns early when the program is ending
// (a WM_QUIT, which stays queued for the outer message loop).
void Wait(double seconds);

// Seconds since an arbitrary fixed point; never goes back (not the time of day, which restarts
// at midnight).
double MonotonicSeconds();

} // namespace qg
