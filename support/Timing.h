/*
 * Wait: a pause that keeps the windows live.
 */
#pragma once

namespace qg {

// Returns once at least `seconds` have passed on a monotonic clock, dispatching window events
// meanwhile; returns at once, dispatching nothing, for 0 or less. Between events the thread
// sleeps, so a long pause costs no processor time.
void Wait(double seconds);

// Seconds since an arbitrary fixed point; never goes back (not the time of day, which restarts
// at midnight).
double MonotonicSeconds();

} // namespace qg
