#!/bin/bash
# The Debian package on a fresh Debian of the release it was built on (this machine's, 12 or 13): a
# minimal base system made by debootstrap from the mirror this machine's apt uses, the package
# installed into it with apt-get, and the Exec line of its installed menu entry started there
# under an X server of the host, whose window must show.
# Prints what apt added to the base system, with sizes and times.
# Usage: fresh_debian.sh BUILD-DIR   (only with PERLOBIN_TEST_FRESH_DEBIAN=1, else exit 77: skipped)
set -euo pipefail
[ "${PERLOBIN_TEST_FRESH_DEBIAN:-}" = 1 ] || { echo "skipped: PERLOBIN_TEST_FRESH_DEBIAN=1 runs it"; exit 77; }
# Mounts made here vanish with this private mount namespace, even if the test is killed.
[ -n "${PERLOBIN_FRESH_NS:-}" ] || PERLOBIN_FRESH_NS=1 exec unshare -m --propagation private bash "$0" "$@"
build=$(cd "${1:?usage: fresh_debian.sh BUILD-DIR}" && pwd)
# shellcheck source=../../scripts/freshroot.sh
source "$(dirname "$0")/../../scripts/freshroot.sh"
debian="Debian $(freshroot_number "$(freshroot_this_release)")"
id=io.github.perlobin.Perlobin
root=$(mktemp -d /var/tmp/perlobin-debian.XXXXXX)
chmod 755 "$root"
pids=()
fail() { echo "FAIL: $*" >&2; exit 1; }
wait_for() { # WHAT SECONDS COMMAND...
    local what=$1 seconds=$2 deadline=$((SECONDS + $2))
    shift 2
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || fail "no $what within $seconds s"
        sleep 0.1
    done
}
cleanup() {
    local status=$? pid
    trap - EXIT INT TERM
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    freshroot_remove "$root" || status=1
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/perlobin_*_amd64.deb)
start=$SECONDS
freshroot_make "$root" || fail "debootstrap"
t_base=$((SECONDS - start))
in_root() { freshroot_run "$root" "$@"; }
freshroot_mount "$root"
in_root dpkg-query -W -f='${Package}\n' | sort >"$root/base.txt"
base_kib=$(du -skx "$root" | cut -f1)

cp "$deb" "$root/tmp/"
start=$SECONDS
in_root apt-get update -q >"$root/apt.log" 2>&1 || { tail "$root/apt.log"; fail "apt-get update"; }
recommended=$(in_root apt-get install -s "/tmp/${deb##*/}" | grep -c '^Inst ')
in_root bash -c 'DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    /tmp/'"${deb##*/}" >>"$root/apt.log" 2>&1 || { tail -n 20 "$root/apt.log"; fail "apt-get install"; }
t_apt=$((SECONDS - start))
in_root dpkg-query -W -f='${Package} ${Installed-Size}\n' | sort >"$root/after.txt"
join -v 1 "$root/after.txt" <(sed 's/$/ -/' "$root/base.txt") | grep -v '^perlobin ' >"$root/added.txt" || true
echo "base system: $(wc -l <"$root/base.txt") packages, $((base_kib / 1024)) MiB, ${t_base} s"
echo "apt-get install: ${t_apt} s; added $(wc -l <"$root/added.txt") packages besides perlobin," \
     "$(awk '{s += $2} END {print int(s / 1024)}' "$root/added.txt") MiB installed"
echo "with recommends, apt-get install would have installed $recommended packages"
[ -n "${PERLOBIN_FRESH_LIST:-}" ] && cp "$root/added.txt" "$PERLOBIN_FRESH_LIST"

# The menu entry's command, in the chroot, on an X server of the host reached by its abstract
# socket (the chroot shares this machine's network namespace): nothing of the host's /tmp is bound.
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$id.desktop")
[ -n "$exec_line" ] || fail "no Exec line in the installed menu entry"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$root/display" 2>/dev/null &
pids+=($!)
wait_for "X server" 20 test -s "$root/display"
display=$(<"$root/display")
start=$SECONDS
# Traced from the host, to see what the game opens from the fresh system.
# A file per thread (-ff): in one shared log, a call another thread interrupts is split over two
# lines, its path on one and its result on the other, and was once missed so.
strace -f -ff -qq -e trace=openat -e signal=none -o "$root/opened.log" \
    chroot "$root" env -i PATH=/usr/bin:/bin HOME=/root LANG=C.UTF-8 DISPLAY=":$display" \
    sh -c "exec $exec_line" >"$root/game.log" 2>&1 &
pids+=($!)
export DISPLAY=:$display
wait_for "window Perlobin from the chroot" 60 xdotool search --onlyvisible --name '^Perlobin$'
echo "window shown after $((SECONDS - start)) s"
game=$(xdotool search --onlyvisible --name '^Perlobin$' getwindowpid | head -n 1)
# The plugins, the voice's interface and plugin, Qt's Italian words, the Italian voice and the fonts, found and
# opened.
opened() { grep -qh "\"/usr/[^\"]*$1\".* = [0-9]" "$root"/opened.log.*; }
for want in platforms/libqxcb.so imageformats/libqsvg.so iconengines/libqsvgicon.so \
    perlobin/libperlobin-voiceinterface.so perlobin/perlobin-voice.so translations/qtbase_it.qm espeak-ng-data/it_dict liberation/LiberationSans-Regular.ttf \
    dejavu/DejaVuSans.ttf; do
    wait_for "$want opened by the game in the chroot" 20 opened "$want"
done
[ -n "${PERLOBIN_FRESH_SHOT:-}" ] && import -window root "$PERLOBIN_FRESH_SHOT"
kill "$game"
wait_for "end of the game" 20 bash -c '! kill -0 '"$game"
echo "PASS: the package installs on a fresh $debian and its menu entry starts the game"
