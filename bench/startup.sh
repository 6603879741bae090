#!/usr/bin/env bash
# Start-up to the first exercise on screen, against an empty window of the same toolkit: the time
# from starting the process to its window being mapped on a private X server, median of N runs.
# Usage: bench/startup.sh [runs]   (after the default build)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-15}
build="$root/build/default"
display=:$((90 + RANDOM % 100))

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
export DISPLAY=$display

measure() {
    local binary=$1 times=()
    for _ in $(seq "$runs"); do
        local start end pid
        start=$(date +%s%N)
        "$binary" >/dev/null 2>&1 &
        pid=$!
        # Polled rather than --sync, which waits in half-second steps.
        until xdotool search --onlyvisible --name '^Perlobin$' >/dev/null 2>&1; do :; done
        end=$(date +%s%N)
        kill "$pid"
        wait "$pid" 2>/dev/null || true
        times+=($(((end - start) / 1000000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}

echo "empty window: $(measure "$build/bench/bench_emptywindow") ms (median of $runs)"
echo "Perlobin:     $(measure "$build/app/perlobin") ms (median of $runs)"
