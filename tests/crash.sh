#!/usr/bin/env bash
# Longer crash runs than ./test makes: kills the lock's steps (qgsteps) at random moments of an
# installation and of a removal, RUNS times each (default 100), and checks drive C: after every
# start-up recovery.
# Uses the build folder QG_BUILD (default build) and its Wine prefix; QG_CRASH_SEED repeats a
# run (the seed is printed).
#   tests/crash.sh [RUNS]
set -euo pipefail
. "$(dirname "$0")/../cmake/testbench.sh"
runs=${1:-100}
seed=${QG_CRASH_SEED:-$(( (RANDOM << 15) | RANDOM ))}
qg_build
trap qg_stop_wine EXIT
qg_start_wine
qg_say "crash runs: $runs of each action, seed $seed"
QG_CRASH_RUNS=$runs QG_CRASH_SEED=$seed \
    wine "$QG_WINE_BUILD/tests/e2e_tests.exe" --gtest_filter='E2eCrash.*' </dev/null
