# A fresh minimal Debian root of a release (12 "bookworm", 13 "trixie"), as a newcomer's machine
# starts: made by debootstrap from the mirror this machine's apt uses (the bare result kept for the
# day under /var/tmp, so that a second run that day downloads no base system), given its own
# /proc, /dev and /tmp, and removed without ever reaching outside it.
# Source it from a bash script that runs as root in a mount namespace of its own
# (`unshare -m --propagation private`), so that its mounts go with the script even if it is killed.

freshroot_cache=/var/tmp/perlobin-debootstrap

freshroot_log() { echo "fresh-debian: $*"; }

# The release of this machine ("bookworm", "trixie").
freshroot_this_release() {
    (. /etc/os-release && echo "${VERSION_CODENAME:?no VERSION_CODENAME in /etc/os-release}")
}

# The release's number, for messages: "bookworm" -> 12.
freshroot_number() {
    case $1 in
        bookworm) echo 12 ;;
        trixie) echo 13 ;;
        *) echo "$1" ;;
    esac
}

# The Debian mirror of this machine's apt, and its security mirror.
freshroot_mirror() {
    local mirror
    mirror=$(sed -n 's/^URIs: *\([^ ]*\/debian\)$/\1/p' /etc/apt/sources.list.d/debian.sources \
        2>/dev/null | head -n 1)
    [ -n "$mirror" ] ||
        mirror=$(awk '$1 == "deb" && $2 ~ /\/debian\/?$/ {print $2; exit}' /etc/apt/sources.list \
            2>/dev/null)
    [ -n "$mirror" ] || return 1
    echo "${mirror%/}"
}
freshroot_security_mirror() {
    local mirror
    mirror=$(sed -n 's/^URIs: *\([^ ]*\/debian-security\)$/\1/p' \
        /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
    [ -n "$mirror" ] || mirror=$(freshroot_mirror)-security
    echo "${mirror%/}"
}

# ROOT (an empty folder) becomes a bare minbase Debian of RELEASE (this machine's if not given),
# from today's cache or from the mirror, with apt's sources of a fresh installation of RELEASE.
freshroot_make() {
    local root=$1 release=${2:-$(freshroot_this_release)} mirror tarball log
    mirror=$(freshroot_mirror) || { echo "no Debian mirror in this machine's apt sources" >&2; return 1; }
    tarball=$freshroot_cache/$release-minbase-$(date -u +%F).tar
    mkdir -p "$freshroot_cache"
    if [ -s "$tarball" ]; then
        freshroot_log "base system from the cache $tarball"
        tar -C "$root" --numeric-owner -xpf "$tarball" || return 1
    else
        freshroot_log "debootstrap --variant=minbase $release from $mirror"
        log=$(mktemp /var/tmp/perlobin-debootstrap.XXXXXX.log)
        if ! debootstrap --variant=minbase "$release" "$root" "$mirror" >"$log" 2>&1; then
            tail -n 20 "$log" >&2
            rm -f "$log"
            echo "debootstrap failed" >&2
            return 1
        fi
        rm -f "$log"
        # Older days' roots are of no more use; the new one is written whole or not at all.
        rm -f "$freshroot_cache/$release"-minbase-*.tar
        tar -C "$root" --numeric-owner -cpf "$tarball.part" . && mv "$tarball.part" "$tarball"
    fi
    # As a fresh installation: the updates and security suites too, and this machine's name server.
    rm -f "$root/etc/apt/sources.list"
    cat >"$root/etc/apt/sources.list.d/debian.sources" <<SOURCES
Types: deb
URIs: $mirror
Suites: $release $release-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: $(freshroot_security_mirror)
Suites: $release-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    cp -L /etc/resolv.conf "$root/etc/resolv.conf"
}

# The mount points at or below ROOT, one a line, as this namespace sees them.
freshroot_mounts() {
    awk -v r="$1" '$5 == r || index($5, r "/") == 1 {print $5}' /proc/self/mountinfo
}

# ROOT is made a mount point of its own (tests inside may `unshare`) and gets its own /proc, a
# small /dev of new nodes, a private devpts, /dev/shm and /tmp. Nothing of the host's is bound in.
freshroot_mount() {
    local root=$1 node
    mount --bind "$root" "$root"
    mount --make-private "$root"
    mount -t proc proc "$root/proc"
    mount -t tmpfs -o mode=755,size=8m,nosuid dev "$root/dev"
    while read -r node major minor; do
        mknod -m 666 "$root/dev/$node" c "$major" "$minor"
    done <<'NODES'
null 1 3
zero 1 5
full 1 7
random 1 8
urandom 1 9
tty 5 0
NODES
    mkdir "$root/dev/pts" "$root/dev/shm"
    mount -t devpts -o newinstance,ptmxmode=0666,mode=620,gid=5 devpts "$root/dev/pts"
    ln -s pts/ptmx "$root/dev/ptmx"
    mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
    ln -s /proc/self/fd "$root/dev/fd"
    ln -s /proc/self/fd/0 "$root/dev/stdin"
    ln -s /proc/self/fd/1 "$root/dev/stdout"
    ln -s /proc/self/fd/2 "$root/dev/stderr"
    mount -t tmpfs -o mode=1777,nosuid,nodev tmp "$root/tmp"
}

# Runs COMMAND in ROOT with a new user's bare environment (VAR=value words may come first).
freshroot_run() {
    local root=$1
    shift
    chroot "$root" env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        HOME=/root LANG=C.UTF-8 TERM=dumb "$@"
}

# Ends every process whose root is ROOT.
freshroot_kill() {
    local root=$1 signal proc pid left
    for signal in TERM KILL; do
        left=0
        for proc in /proc/[0-9]*; do
            [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] || continue
            pid=${proc#/proc/}
            [ "$pid" != "$$" ] || continue
            kill "-$signal" "$pid" 2>/dev/null && left=1
        done
        [ "$left" -eq 1 ] || return 0
        sleep 2
    done
}

# Removes ROOT: its processes ended, everything under it unmounted, and then only the files of
# ROOT's own file system. While anything is still mounted under it, nothing is removed.
freshroot_remove() {
    local root=$1 mount
    [ -d "$root" ] || return 0
    freshroot_kill "$root"
    freshroot_mounts "$root" | sort -r | while read -r mount; do
        umount "$mount" 2>/dev/null || umount -l "$mount" || true
    done
    if [ -n "$(freshroot_mounts "$root")" ]; then
        echo "left $root: still mounted under it:" $(freshroot_mounts "$root") >&2
        return 1
    fi
    rm -rf --one-file-system "$root"
}
