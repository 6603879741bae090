#!/usr/bin/env bash
# Proves the README's two commands on a newcomer's machine: a fresh minimal Debian root of RELEASE
# ("trixie" for Debian 13, "bookworm" for Debian 12; this machine's own if not given) with nothing
# installed but what debootstrap gives, this repository's HEAD commit cloned into it, then there,
# as root, the test command (`bash scripts/check.sh`: every package installed afresh, both builds,
# both suites; with --release-only, the release build and suite alone), the Debian package built
# there installed on a fresh root of the same release (the install_fresh_debian test), and the
# play command (`bash scripts/play.sh`, on an X server of the root's own, must show the window
# "Perlobin" within 60 s and keep it for 5 s).
# Its output and exit status are the test command's, then the package's and the play command's.
# Usage, as root (CI's .ci/run calls it): bash scripts/fresh-debian-proof.sh [--release-only] [RELEASE]
set -euo pipefail
fail() { echo "fresh-debian: FAIL: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || fail "needs root (debootstrap, chroot, mount): run it with sudo"
# Every mount made here is private to this script and goes with it, even if it is killed.
[ -n "${PERLOBIN_PROOF_NS:-}" ] ||
    PERLOBIN_PROOF_NS=1 exec unshare -m --propagation private bash "$0" "$@" ||
    fail "cannot make a mount namespace (unshare -m)"
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=freshroot.sh
source "$repo/scripts/freshroot.sh"
check_args=()
[ "${1:-}" != --release-only ] || { check_args=(--release-only); shift; }
release=${1:-$(freshroot_this_release)}
debian="Debian $(freshroot_number "$release")"
commit=$(git -C "$repo" rev-parse HEAD)
[ -z "$(git -C "$repo" status --porcelain --untracked-files=no)" ] ||
    freshroot_log "note: uncommitted changes are not part of the proof; it tests $commit"

# What the proof needs of this machine: debootstrap, and nothing of the project.
if ! command -v debootstrap >/dev/null; then
    freshroot_log "installing debootstrap on this machine"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap \
        >/dev/null 2>&1 ||
        { apt-get update -q >/dev/null 2>&1 &&
          DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap \
              >/dev/null; } ||
        fail "debootstrap is not installed and could not be installed"
fi

# Each run holds a lock on its root for as long as it or anything it started runs: a root whose
# lock is free was left by a run that was killed, one whose lock is held belongs to another run.
# One run at a time looks for such roots and makes its own.
{
    flock 9
    for old in /var/tmp/perlobin-fresh.*.lock; do
        [ -f "$old" ] || continue
        flock -n "$old" true || continue
        freshroot_remove "${old%.lock}" 2>/dev/null && rm -f "$old" || true
    done
    root=$(mktemp -d /var/tmp/perlobin-fresh.XXXXXX)
    chmod 755 "$root"
    exec {lock}>"$root.lock"
    flock -n "$lock" || fail "cannot lock $root.lock"
} 9>/var/tmp/perlobin-fresh-roots.lock
cleanup() {
    local status=$?
    trap - EXIT INT TERM
    freshroot_remove "$root" && rm -f "$root.lock" || status=1
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
phase() { # NAME START: how long the phase took
    freshroot_log "$1: $((SECONDS - $2)) s"
}

start=$SECONDS
freshroot_make "$root" "$release" || fail "no fresh $debian root could be made (debootstrap, mirror)"
phase "base system" "$start"
freshroot_mount "$root"
git clone --quiet --no-hardlinks "$repo" "$root/root/perlobin"
git -C "$root/root/perlobin" checkout --quiet --detach "$commit"
freshroot_log "testing $commit in $root/root/perlobin"

# The test command, as the README gives it.
start=$SECONDS
freshroot_run "$root" CI="${CI:-}" bash -c 'cd /root/perlobin && bash scripts/check.sh "$@"' \
    check "${check_args[@]}" || fail "the test command failed on a fresh $debian (status $?)"
phase "bash scripts/check.sh${check_args[*]:+ ${check_args[*]}}" "$start"

# The package built there, installed with apt-get on a fresh root of the same release.
start=$SECONDS
freshroot_run "$root" PERLOBIN_TEST_FRESH_DEBIAN=1 bash -c \
    'cd /root/perlobin && ctest --preset default -V -R "^install_fresh_debian$" --no-tests=error' ||
    fail "the package did not install and start on a fresh $debian (status $?)"
phase "install_fresh_debian" "$start"

# The play command, on an X server of the root's own.
start=$SECONDS
freshroot_run "$root" Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    3>"$root/tmp/display" 2>"$root/tmp/xvfb.log" &
for _ in $(seq 200); do [ -s "$root/tmp/display" ] && break; sleep 0.1; done
[ -s "$root/tmp/display" ] || { cat "$root/tmp/xvfb.log"; fail "no X server in the fresh root"; }
display=:$(<"$root/tmp/display")
freshroot_run "$root" DISPLAY="$display" bash -c 'cd /root/perlobin && exec bash scripts/play.sh' \
    >"$root/tmp/play.log" 2>&1 &
play=$!
window() { freshroot_run "$root" DISPLAY="$display" xdotool search --onlyvisible --name '^Perlobin$'; }
deadline=$((SECONDS + 60))
until window >/dev/null 2>&1; do
    kill -0 "$play" 2>/dev/null || { tail -n 30 "$root/tmp/play.log"; fail "bash scripts/play.sh ended"; }
    [ "$SECONDS" -lt "$deadline" ] ||
        { tail -n 30 "$root/tmp/play.log"; fail "no window \"Perlobin\" within 60 s of bash scripts/play.sh"; }
    sleep 0.2
done
freshroot_log "bash scripts/play.sh showed the window \"Perlobin\" after $((SECONDS - start)) s"
sleep 5
kill -0 "$play" 2>/dev/null || { tail -n 30 "$root/tmp/play.log"; fail "the game ended within 5 s"; }
window >/dev/null 2>&1 || fail "the window \"Perlobin\" was gone within 5 s"
freshroot_log "the game was still running 5 s later; PASS: both README commands work on a fresh $debian"
