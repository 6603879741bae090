#!/usr/bin/env bash
# What the game costs when nobody plays, side by side with the empty window, in one private X
# server and one private sound server whose only output is a null sink: each program is started,
# left alone (the game greets the child, then waits), and from SETTLE seconds after its start its
# wakeups (context switches of all its threads) and CPU time are counted over SECONDS seconds.
# Usage: bench/idle.sh [SECONDS [SETTLE]]   (after the default build; defaults 60 and 20)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
settle=${2:-20}
build="$root/build/default"
# PERLOBIN_BINARY measures another build of the game instead, to compare two versions.
game=${PERLOBIN_BINARY:-$build/app/perlobin}
empty="$build/bench/bench_emptywindow"
# shellcheck source=session.sh
source "$root/bench/session.sh"
bench_session 1280x1024x24

# Context switches of all the process's threads, and its CPU time in clock ticks.
switches() {
    cat "/proc/$1"/task/*/status 2>/dev/null |
        awk '/ctxt_switches/ {s += $2} END {print s + 0}'
}
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# Prints: wakeups-per-second cpu-percent
measure() {
    local binary=$1 pid s0 t0 s1 t1
    "$binary" >/dev/null 2>&1 &
    pid=$!
    pids+=("$pid")
    until xdotool search --onlyvisible --name '^Perlobin$' >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || { echo "$binary ended before its window showed" >&2; exit 1; }
        sleep 0.05
    done
    sleep "$settle"
    s0=$(switches "$pid")
    t0=$(ticks "$pid")
    sleep "$seconds"
    s1=$(switches "$pid")
    t1=$(ticks "$pid")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    awk -v s=$((s1 - s0)) -v t=$((t1 - t0)) -v n="$seconds" -v hz="$(getconf CLK_TCK)" \
        'BEGIN {printf "%.1f %.2f\n", s / n, 100 * t / hz / n}'
}

echo "idle from ${settle} s after the start, over ${seconds} s:"
read -r wakeups cpu < <(measure "$empty")
printf '  empty window: %8s wakeups/s  %6s%% of a core\n' "$wakeups" "$cpu"
read -r wakeups cpu < <(measure "$game")
printf '  Perlobin:     %8s wakeups/s  %6s%% of a core\n' "$wakeups" "$cpu"
