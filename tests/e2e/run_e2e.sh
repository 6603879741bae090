#!/bin/bash
# Plays one game of Perlobin for real: its own X server, session and accessibility buses, and a
# sound server whose only output is a null sink, recorded so that the test hears the voice.
# With a window manager (openbox, say), it also checks that Merlin belongs to the game window.
# With a PLATFORM, the desktop is a Wayland compositor with XWayland, and the game runs on that
# Qt platform ("default": the game's own choice).
# With PERLOBIN_E2E_SHAPE, the game is played in a shape of screen and window instead (see
# play.py): on a screen PERLOBIN_E2E_SCREEN_SIZE large, with a panel PERLOBIN_E2E_PANEL pixels
# high along its top, and with a touch screen (Qt's TUIO plugin) where PERLOBIN_E2E_TOUCH is set.
# Usage: run_e2e.sh PATH-TO-PERLOBIN [WINDOW-MANAGER-COMMAND [PLATFORM]]
set -euo pipefail
# A private session bus, so that nothing started on it outlives the test; dbus-run-session passes
# no signal on, so its death is what stops the test when the test is stopped.
[ -n "${PERLOBIN_E2E_SESSION:-}" ] ||
    PERLOBIN_E2E_SESSION=1 exec dbus-run-session setpriv --pdeathsig TERM bash "$0" "$@"
game_binary=${1:?usage: run_e2e.sh PATH-TO-PERLOBIN [WINDOW-MANAGER-COMMAND [PLATFORM]]}
export PERLOBIN_E2E_WM=${2:-}
platform=${3:-} # given: the second argument starts a Wayland compositor, not a window manager
work=$(mktemp -d "${TMPDIR:-/tmp}/perlobin-e2e.XXXXXX")
pids=()

wait_for() { # WHAT SECONDS COMMAND...: polls COMMAND until it succeeds
    local what=$1 seconds=$2
    local deadline=$((SECONDS + seconds))
    shift 2
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || { echo "FAIL: no $what within $seconds s" >&2; return 1; }
        sleep 0.05
    done
}
ended() { ! kill -0 "$1" || [[ $(ps -o stat= -p "$1") == Z* ]]; }
has_bytes() { [ "$(stat -c %s "$1")" -ge "$2" ]; }

bus() { dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus "$@"; }
# The processes the private bus started for the test's own (kwin's shortcut service, say): they
# hold the test's output open, and would outlive it.
bus_services() {
    local name
    for name in $(bus org.freedesktop.DBus.ListNames 2>/dev/null | grep -oE '":[0-9.]+"' | tr -d '"'); do
        bus org.freedesktop.DBus.GetConnectionUnixProcessID "string:$name" 2>/dev/null |
            awk '/uint32/ { print $2 }'
    done
}

cleanup() {
    local status=$? pid
    trap - EXIT INT TERM
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do # 5 s each to go, then killed outright
        wait_for "end of $pid" 5 ended "$pid" 2>/dev/null || kill -KILL "$pid" 2>/dev/null || :
        wait "$pid" 2>/dev/null || true
    done
    for pid in $(bus_services); do
        [ "$pid" = $$ ] || kill "$pid" 2>/dev/null || true
    done
    if [ "$status" -eq 0 ]; then
        rm -rf "$work"
    else # kept, so that a rare failure can still be read after the rerun that passes
        rm -f "$work/sound.raw"
        tail -n 20 "$work"/*.log
        echo "logs kept in $work" >&2
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Nothing of the machine's own session leaks in: home, runtime dir, display, sound server.
mkdir -m 700 "$work/home" "$work/run"
export HOME=$work/home XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 PULSE_CLIENTCONFIG=$work/client.conf
unset WAYLAND_DISPLAY PULSE_SERVER PULSE_RUNTIME_PATH XDG_CONFIG_HOME XDG_CACHE_HOME
echo "autospawn = no" >"$work/client.conf" # else a client finding no server starts a real one

wayland_socket() { # the compositor's socket, in our own runtime dir
    local socket
    for socket in "$XDG_RUNTIME_DIR"/wayland-*; do
        [ -S "$socket" ] && echo "${socket##*/}" && return 0
    done
    return 1
}
# Weston says "xserver listening on display :N", mutter "Using public X11 display :N".
xwayland_display() {
    grep -oE '(listening on|public X11) display :[0-9]+' "$work/wm.log" | grep -oE ':[0-9]+$'
}

screen_size=${PERLOBIN_E2E_SCREEN_SIZE:-1280x1024} # a school's screen, with room beside the game
if [ -n "${PERLOBIN_E2E_PANEL:-}" ]; then
    # openbox keeps the panel's strip out of the work area; Super+Up maximises.
    cat >"$work/openbox.xml" <<XML
<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <margins><top>$PERLOBIN_E2E_PANEL</top><bottom>0</bottom><left>0</left><right>0</right></margins>
  <keyboard><keybind key="W-Up"><action name="Maximize"/></keybind></keyboard>
</openbox_config>
XML
    PERLOBIN_E2E_WM="$PERLOBIN_E2E_WM --config-file $work/openbox.xml"
fi
if [ -n "${PERLOBIN_E2E_TOUCH:-}" ]; then
    # A touch screen fed over UDP (port 3333) by the test.
    export QT_QPA_GENERIC_PLUGINS=tuiotouch
fi

if [ -z "$platform" ]; then
    # -displayfd: the server takes the first free display and says which.
    Xvfb -displayfd 3 -screen 0 "${screen_size}x24" -nolisten tcp -noreset 3>"$work/display" \
        2>"$work/xvfb.log" &
    pids+=($!)
    wait_for "X server" 20 test -s "$work/display"
    DISPLAY=:$(<"$work/display")
    export DISPLAY
    # Services the bus starts for the window manager (kwin's shortcuts, say) need the display.
    dbus-update-activation-environment DISPLAY XDG_RUNTIME_DIR HOME
    if [ -n "$PERLOBIN_E2E_WM" ]; then
        # shellcheck disable=SC2086 # the window manager's command and its options
        $PERLOBIN_E2E_WM >"$work/wm.log" 2>&1 &
        pids+=($!)
        wait_for "window manager" 20 xprop -root _NET_SUPPORTING_WM_CHECK
    fi
else
    # A Wayland session as desktops run it: the compositor, with XWayland for X11 programs.
    export XDG_SESSION_TYPE=wayland PERLOBIN_E2E_ROOTLESS=1 PERLOBIN_E2E_BACKDROP=203040
    unset DISPLAY
    if [ -n "${PERLOBIN_E2E_NESTED:-}" ]; then
        # The compositor shows its screen in a window of an X server of the test's own, which
        # gives it a keyboard (xdotool's keys) and a screen to take screenshots of.
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" \
            2>"$work/xvfb.log" &
        pids+=($!)
        wait_for "X server" 20 test -s "$work/display"
        export DISPLAY=:$(<"$work/display") PERLOBIN_E2E_SCREEN=:$(<"$work/display")
        # A plain backdrop and no panel, so that the game's window is found on the screen by
        # its colours; no on-screen keyboard, since the test types on a keyboard.
        mkdir -p "$HOME/.config"
        printf '[shell]\nbackground-color=0xff%s\npanel-position=none\n[input-method]\npath=\n' \
            "$PERLOBIN_E2E_BACKDROP" >"$HOME/.config/weston.ini"
    fi
    # shellcheck disable=SC2086 # the compositor's command and its options
    $PERLOBIN_E2E_WM >"$work/wm.log" 2>&1 &
    pids+=($!)
    wait_for "Wayland compositor" 20 wayland_socket
    wait_for "XWayland" 20 xwayland_display
    WAYLAND_DISPLAY=$(wayland_socket)
    DISPLAY=$(xwayland_display)
    export WAYLAND_DISPLAY DISPLAY
    for auth in "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.*; do # mutter's XWayland asks for one
        [ -e "$auth" ] && export XAUTHORITY=$auth
    done
    dbus-update-activation-environment DISPLAY WAYLAND_DISPLAY XDG_RUNTIME_DIR HOME
    wait_for "XWayland's window manager" 20 xprop -root _NET_SUPPORTING_WM_CHECK
    # The game's own choice, or the platform asked for.
    if [ "$platform" = default ]; then unset QT_QPA_PLATFORM; else QT_QPA_PLATFORM=$platform; fi
fi

/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/atspi.log" 2>&1 &
pids+=($!)
# Until the launcher owns its name, the game's request for the bus would start a second one.
wait_for "accessibility bus" 20 bash -c 'dbus-send --session --print-reply \
    --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus | grep -q "boolean true"'

pulseaudio -n --daemonize=no --exit-idle-time=-1 --load="module-null-sink sink_name=t" \
    --load=module-native-protocol-unix >"$work/pulse.log" 2>&1 &
pids+=($!)
wait_for "sound server" 20 pactl info
pactl set-default-sink t
# Flushed every 20 ms, so that the file's size tells how far the recording has come.
parec -d t.monitor --format=s16le --rate=16000 --channels=1 --latency-msec=20 \
    >"$work/sound.raw" 2>"$work/parec.log" &
pids+=($!)
wait_for "recording" 20 has_bytes "$work/sound.raw" 16000 # half a second of silence
start=$(stat -c %s "$work/sound.raw")

if [ -n "${PERLOBIN_E2E_ORCA:-}" ]; then
    # A teacher's screen reader: Orca in Italian, speaking through speech-dispatcher and espeak-ng
    # into the null sink; what it says is the "SPEECH OUTPUT" of its debug log, read by the test.
    # Its launcher will not start beside another Orca of the same user: as root, it gets a process
    # namespace of its own, which also ends the speech server it starts when it is stopped.
    mkdir -p "$work/locale" && mkdir -m 700 "$work/orca"
    # Orca runs this file of its settings at start: its log written line by line, as it speaks.
    printf '%s\n' "from orca import debug" "debug.debugFile.reconfigure(line_buffering=True)" \
        >"$work/orca/orca-customizations.py"
    localedef -i it_IT -f UTF-8 "$work/locale/it_IT.UTF-8" >"$work/localedef.log" 2>&1 ||
        [ -e "$work/locale/it_IT.UTF-8/LC_CTYPE" ] || { cat "$work/localedef.log"; exit 1; }
    own=()
    if [ "$(id -u)" -eq 0 ]; then
        own=(unshare --pid --fork --kill-child --mount-proc)
    elif pgrep -u "$(id -u)" -x orca >/dev/null; then
        echo "SKIP: an Orca of this user runs, and only root can start another beside it" >&2
        exit 77
    fi
    LOCPATH=$work/locale LANG=it_IT.UTF-8 LANGUAGE=it GTK_MODULES=gail:atk-bridge \
        "${own[@]}" orca -u "$work/orca" --debug-file="$work/orca.log" >"$work/orca.out" 2>&1 &
    pids+=($!)
    wait_for "the screen reader speaking" 30 grep -q "SPEECH OUTPUT" "$work/orca.log"
    export PERLOBIN_E2E_ORCA_LOG=$work/orca.log
fi

# A program asks at start-up which events anyone listens to; a listener that registers while it
# starts may be missed. So the events the test listens for are registered before the game starts.
/usr/bin/python3 -u -c '
import pyatspi
pyatspi.Registry.registerEventListener(lambda event: None, "object:property-change:accessible-name")
print("registered", flush=True)
pyatspi.Registry.start()' >"$work/listener.log" 2>&1 &
pids+=($!)
wait_for "the event listener" 20 grep -q registered "$work/listener.log"

# In the sanitizer build the game is checked for memory errors here, not for leaks: at exit Qt's
# GUI library and its Wayland plugin leave a few allocations of their own (88 bytes in 1 run in 6
# on X11, 3 KB on native Wayland), reached by no frame of ours. Leaks of ours are the unit
# tests' to find, under the same sanitizer.
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "$game_binary" >"$work/perlobin.log" 2>&1 &
game=$!
pids=("$game" "${pids[@]}")
/usr/bin/python3 -u "$(dirname "$0")/play.py" "$game" "$work/sound.raw" "$start" &
pids+=($!)
wait $! # in the background, so that a signal reaches the trap at once
unset 'pids[-1]'

wait_for "end of the game" 20 ended "$game"
pids=("${pids[@]:1}")
status=0
wait "$game" || status=$?
[ "$status" -eq 0 ] || { echo "FAIL: the game ended with status $status" >&2; exit 1; }
left=$(xdotool search --pid "$game" || true)
[ -z "$left" ] || { echo "FAIL: windows of the game remain: $left" >&2; exit 1; }
# mutter says so when a window names as its owner one it cannot take for a top-level window.
if grep -n "Invalid WM_TRANSIENT_FOR" "$work/wm.log" 2>/dev/null; then
    echo "FAIL: the window manager found a window transient for no window of the game" >&2
    exit 1
fi
echo "PASS: the game ended with status 0 and left no window"
