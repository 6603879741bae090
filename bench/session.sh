# A private X server and a private sound server whose only output is a null sink ("bench"), for
# the benchmarks that run the real program; both ended, and the work folder removed, on exit.
# Source it, then call: bench_session SCREEN (1024x768x24, say). Sets work, pids, DISPLAY and
# XDG_RUNTIME_DIR.
work=$(mktemp -d)
pids=()
bench_cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap bench_cleanup EXIT

bench_session() {
    # -noreset: a server that resets when its last client leaves refuses the next one meanwhile.
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
    pids+=($!)
    until [ -s "$work/display" ]; do sleep 0.05; done
    export DISPLAY=:$(<"$work/display")
    export XDG_RUNTIME_DIR=$work/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=true \
        --load="module-null-sink sink_name=bench" --load=module-native-protocol-unix \
        >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
    pactl set-default-sink bench
}
