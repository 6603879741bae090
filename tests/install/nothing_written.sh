#!/bin/bash
# Plays one exercise with the installed game while its home and working folders are read-only and
# every file operation of every one of its threads and processes is traced. The game must work,
# end with status 0, write nothing and leave no process behind.
# Usage: nothing_written.sh PATH-TO-INSTALLED-PERLOBIN
set -euo pipefail
# Root ignores permission bits but not a read-only mount: the bind mounts live in a mount
# namespace of the test's own. A private session bus keeps anything it starts inside the test.
[ -n "${PERLOBIN_RO_SESSION:-}" ] || PERLOBIN_RO_SESSION=1 exec unshare -m --propagation private \
    dbus-run-session setpriv --pdeathsig TERM bash "$0" "$@"
game_binary=${1:?usage: nothing_written.sh PATH-TO-INSTALLED-PERLOBIN}
work=$(mktemp -d "${TMPDIR:-/tmp}/perlobin-ro.XXXXXX")
pids=()

wait_for() { # WHAT SECONDS COMMAND...: polls COMMAND until it succeeds
    local what=$1 seconds=$2 deadline=$((SECONDS + $2))
    shift 2
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || { echo "FAIL: no $what within $seconds s" >&2; return 1; }
        sleep 0.05
    done
}
fail() { echo "FAIL: $*" >&2; exit 1; }
cleanup() {
    local status=$? pid
    trap - EXIT INT TERM
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    umount "$work/home" "$work/cwd" 2>/dev/null || true
    [ "$status" -eq 0 ] || tail -n 20 "$work"/*.log
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The game's home holds a settings folder, as a user's would; the sound server has its own home.
mkdir -p "$work/home/.config" "$work/cwd" "$work/sound-home"
mkdir -m 700 "$work/run"
for dir in home cwd; do
    mount --bind "$work/$dir" "$work/$dir"
    mount -o remount,bind,ro "$work/$dir"
    ! touch "$work/$dir/probe" 2>/dev/null || fail "$dir is writable"
done
snapshot() { find "$work/home" "$work/cwd" -printf '%p %y %s %m %T@\n' | sort; }
before=$(snapshot)

export XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb PULSE_CLIENTCONFIG=$work/client.conf
unset WAYLAND_DISPLAY PULSE_SERVER PULSE_RUNTIME_PATH XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME
echo "autospawn = no" >"$work/client.conf"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_for "X server" 20 test -s "$work/display"
export DISPLAY=:$(<"$work/display")
HOME=$work/sound-home pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --load="module-null-sink sink_name=t" --load=module-native-protocol-unix >"$work/pulse.log" 2>&1 &
pids+=($!)
wait_for "sound server" 20 env HOME="$work/sound-home" pactl info
HOME=$work/sound-home pactl set-default-sink t

# strace -ff: one log a process or thread, so no call is split across lines; strace ends with
# the game's own status. A sanitizer build's leak check cannot run under ptrace; the other tests
# run that binary's leak check.
(cd "$work/cwd" && HOME=$work/home ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" exec strace -ff -qq -o "$work/trace" \
    -e trace=%file -e signal=none "$game_binary") >"$work/perlobin.log" 2>&1 &
game=$!
pids+=("$game")

window() { xdotool search --onlyvisible --name "$1" | head -n 1; }
shown() { [ -n "$(window "$1")" ]; }
focused() { [ "$(xdotool getwindowfocus)" = "$1" ]; }
keys() { # TITLE KEY...: types into the one visible window of that title, focused first
    local win
    wait_for "window $1" 30 shown "$1"
    win=$(window "$1")
    xdotool windowfocus "$win"
    wait_for "keyboard on $1" 10 focused "$win"
    xdotool key --delay 30 "${@:2}"
}
keys '^Perlobin$' 7 Return # an answer and its verdict
keys '^Perlobin$' Return   # the next number
keys '^Perlobin$' alt+x
keys '^Data ' Return # the farewell box closes the game

ended() { ! kill -0 "$game" 2>/dev/null; }
wait_for "end of the game" 30 ended
status=0
wait "$game" || status=$?
[ "$status" -eq 0 ] || fail "the game ended with status $status"

# Every process and thread of the game has ended.
for log in "$work"/trace.*; do
    ! kill -0 "${log##*.}" 2>/dev/null || fail "process ${log##*.} of the game is still there"
done
# Writes, creations, renames and deletions, outside devices and /proc, which hold no files.
grep -hE '^(open|openat|creat)\(.*(O_WRONLY|O_RDWR|O_CREAT|O_TRUNC)|^(mkdir|mkdirat|rename|renameat2?|unlink|unlinkat|link|linkat|symlink|symlinkat|truncate|chmod|fchmodat)\(' \
    "$work"/trace.* | grep -vE '"/(dev|proc)/' >"$work/writes" || true
grep -v '= -1 ' "$work/writes" >"$work/written" || true
[ ! -s "$work/written" ] || fail "the game wrote: $(cat "$work/written")"
# Tried and refused: only the sound library, which makes a cookie in a home that has none and
# looks for its folder in the runtime dir, may try; anything else would write on a writable disk.
grep -vE "\"$work/home/.config/pulse(/cookie)?\".* = -1 E[A-Z]+ |^mkdir\(\"$work/run(/pulse)?\".* = -1 EEXIST" \
    "$work/writes" >"$work/tried" || true
[ ! -s "$work/tried" ] || fail "the game tried to write: $(cat "$work/tried")"
[ "$(snapshot)" = "$before" ] || fail "home or working folder changed"
echo "PASS: $(ls "$work"/trace.* | wc -l) processes and threads, status 0, nothing written" \
     "($(grep -c . "$work/writes") refused attempts of the sound library), none left"
