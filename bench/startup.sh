#!/usr/bin/env bash
# Start-up of the game against an empty window of the same toolkit, side by side in one private
# X server and one private sound server whose only output is a null sink, runs alternated:
#  - window: from starting the process to its window being mapped;
#  - frame:  from starting the process to the end of its window's first frame, as the program
#            itself stamps it (the perlobin.startup logging category);
#  - sound:  from starting the process to the first loud 10 ms of the greeting in the recording;
#  - memory: resident memory of the process once the greeting plays (the empty window: once
#            mapped).
# Medians of N runs, and of each stage the game stamps on its way to the first frame.
# Usage: bench/startup.sh [runs]   (after the default build)
# PERLOBIN_BASELINE=other/perlobin also runs another build of the game in each round, alternated
# with this one, and prints its medians beside the game's.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-9}
build="$root/build/default"
# PERLOBIN_BINARY measures another build of the game instead, to compare two versions.
game=${PERLOBIN_BINARY:-$build/app/perlobin}
baseline=${PERLOBIN_BASELINE:-}
empty="$build/bench/bench_emptywindow"
# shellcheck source=session.sh
source "$root/bench/session.sh"
bench_session 1024x768x24

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Prints: window_ms sound_ms rss_kib frame_ms (sound_ms is "-" for the empty window).
run_once() {
    local binary=$1 listen=$2 arguments=${3:-} recording="$work/rec.raw" start mapped pid rec sound=- rss frame
    local trace="$work/trace"
    if [ "$listen" = yes ]; then
        parec -d bench.monitor --format=s16le --rate=16000 --channels=1 --latency-msec=10 \
            >"$recording" &
        rec=$!
        sleep 0.3 # the recording is running before the program starts
    fi
    local recorded_before=0
    [ "$listen" = yes ] && recorded_before=$(stat -c %s "$recording")
    start=$(now_ms)
    QT_LOGGING_RULES="perlobin.startup.debug=true" "$binary" $arguments >/dev/null 2>"$trace" &
    pid=$!
    # Polled rather than --sync, which waits in half-second steps.
    until xdotool search --onlyvisible --name '^Perlobin$' >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || { echo "$binary ended before its window showed:" >&2; cat "$trace" >&2; exit 1; }
    done
    mapped=$(now_ms)
    if [ "$listen" = yes ]; then
        local deadline=$((start + 8000))
        until [ "$(now_ms)" -ge "$deadline" ]; do
            sound=$(/usr/bin/python3 - "$recording" "$recorded_before" <<'EOF'
import array, sys
data = open(sys.argv[1], 'rb').read()[int(sys.argv[2]) & ~1:]
samples = array.array('h', data[: len(data) // 2 * 2])
step = 160  # 10 ms at 16 kHz
for i in range(0, len(samples) - step, step):
    window = samples[i:i + step]
    if (sum(s * s for s in window) / step) ** 0.5 > 300:
        print(i * 1000 // 16000)
        break
else:
    print('')
EOF
)
            [ -n "$sound" ] && break
            sleep 0.1
        done
        [ -n "$sound" ] || sound=-
    fi
    rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
    # A build without the stamps has no first frame to report.
    for _ in $(seq 200); do grep -q 'first frame drawn' "$trace" && break; sleep 0.01; done
    frame=$(awk -v start="$start" '/main begins at/ {main = $(NF - 4)}
        /first frame drawn/ {frame = main + $(NF - 4) - start}
        END {if (frame) printf "%d", frame; else print "-"}' "$trace")
    # Each stage the program stamped, as "ms stage", for the table of where the time goes.
    [ "$listen" = yes ] && sed -n 's/^perlobin\.startup: *\([0-9.]*\) ms \(.*\)$/\1 \2/p' "$trace" \
        >>"$work/${stages:-stages}"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    if [ "$listen" = yes ]; then
        kill "$rec"
        wait "$rec" 2>/dev/null || true
    fi
    echo "$((mapped - start)) $sound $rss $frame"
}

median() { sort -n | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]; else print "-"}'; }

: >"$work/empty"
: >"$work/text"
: >"$work/game"
: >"$work/stages"
: >"$work/baseline"
: >"$work/baseline-stages"
run_baseline() {
    [ -z "$baseline" ] || stages=baseline-stages run_once "$baseline" yes >>"$work/baseline"
}
for round in $(seq "$runs"); do
    run_once "$empty" no >>"$work/empty"
    # A game heard right after another is heard 1.6 s later: each follows an empty window, and
    # the two change places every round.
    [ $((round % 2)) -eq 1 ] || run_baseline
    [ $((round % 2)) -eq 0 ] || run_once "$game" yes >>"$work/game"
    run_once "$empty" no --text >>"$work/text"
    [ $((round % 2)) -eq 1 ] || run_once "$game" yes >>"$work/game"
    [ $((round % 2)) -eq 0 ] || run_baseline
done

empty_window=$(cut -d' ' -f1 "$work/empty" | median)
empty_rss=$(cut -d' ' -f3 "$work/empty" | median)
empty_frame=$(cut -d' ' -f4 "$work/empty" | median)
text_window=$(cut -d' ' -f1 "$work/text" | median)
text_frame=$(cut -d' ' -f4 "$work/text" | median)
game_frame=$(cut -d' ' -f4 "$work/game" | median)
game_window=$(cut -d' ' -f1 "$work/game" | median)
game_sound=$(cut -d' ' -f2 "$work/game" | { grep -v -- - || true; } | median)
game_rss=$(cut -d' ' -f3 "$work/game" | median)
echo "medians of $runs alternated runs"
echo "empty window: window on screen ${empty_window} ms, first frame ${empty_frame} ms," \
     "resident $((empty_rss / 1024)) MiB"
echo "one line of text: window on screen ${text_window} ms, first frame ${text_frame} ms"
echo "Perlobin:     window on screen ${game_window} ms, first frame ${game_frame} ms," \
     "first sound of the greeting ${game_sound} ms, resident once it plays" \
     "$((game_rss / 1024)) MiB"
awk -v g="$game_window" -v e="$empty_window" -v gf="$game_frame" -v ef="$empty_frame" \
    -v gr="$game_rss" -v er="$empty_rss" -v s="$game_sound" \
    -v t="$text_window" -v tf="$text_frame" \
    'BEGIN {printf "ratios:       start-up %.2f (first frame %.2f), memory %.2f;" \
                   " greeting %d ms after the window\n", g / e, gf / ef, gr / er, s - g
            printf "one line of text against the empty window: %.2f (first frame %.2f)\n",
                   t / e, tf / ef}'
# The median of each stage stamped in the file, in the order first stamped.
stage_table() {
    cut -d' ' -f2- "$1" | awk '!seen[$0]++' | while IFS= read -r stage; do
        ms=$(awk -v stage="$stage" '{ms = $1; $1 = ""} substr($0, 2) == stage {print ms}' "$1" |
            median)
        printf '  %7s  %s\n' "$ms" "$stage"
    done
}
echo "where the game's time goes (ms since main, medians):"
stage_table "$work/stages"
if [ -n "$baseline" ]; then
    echo "baseline $baseline, the same rounds:"
    echo "baseline:     window on screen $(cut -d' ' -f1 "$work/baseline" | median) ms," \
         "first frame $(cut -d' ' -f4 "$work/baseline" | median) ms," \
         "first sound of the greeting" \
         "$(cut -d' ' -f2 "$work/baseline" | { grep -v -- - || true; } | median) ms," \
         "resident once it plays $(($(cut -d' ' -f3 "$work/baseline" | median) / 1024)) MiB"
    echo "where the baseline's time goes (ms since main, medians):"
    stage_table "$work/baseline-stages"
fi
