#!/usr/bin/env bash
# Installs the Debian packages listed in debian-packages.txt that are missing. A line of
# alternatives ("a | b") stands for the first of them that this release has.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
updated=
update() {
    [ -z "$updated" ] || return 0
    "${sudo[@]}" apt-get update -q
    updated=1
}
known() { [[ $(apt-cache policy "$1" 2>/dev/null) =~ Candidate:\ [^\(] ]]; }
installed() { [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = 'install ok installed' ]; }
# The package a line stands for here, or nothing while apt knows none of its alternatives.
choose() {
    local alternatives=$1 name
    [[ $alternatives == *"|"* ]] || { echo "$alternatives"; return 0; }
    for name in ${alternatives//|/ }; do
        if known "$name"; then echo "$name"; return 0; fi
    done
}

mapfile -t lines < <(grep -v -e '^#' -e '^[[:space:]]*$' "$here/debian-packages.txt")
wanted=()
for line in "${lines[@]}"; do
    name=$(choose "$line")
    if [ -z "$name" ]; then # apt's lists may not be there yet on a fresh system
        update
        name=$(choose "$line")
        [ -n "$name" ] || { echo "setup: this release has none of: $line" >&2; exit 1; }
    fi
    wanted+=("$name")
done
missing=()
for p in "${wanted[@]}"; do
    installed "$p" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
