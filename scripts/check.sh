#!/usr/bin/env bash
# Installs what is missing, builds everything (game, tests, benchmarks) and runs every test: once
# in the release build, then again under AddressSanitizer and UndefinedBehaviorSanitizer.
# With --release-only, the release build and its tests alone.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
step() { # WHAT COMMAND...: runs it, then says how long it took
    local what=$1 start=$SECONDS
    shift
    "$@"
    echo "check: $what took $((SECONDS - start)) s"
}
step "set-up" bash scripts/setup.sh
step "release build" eval 'cmake --preset default && cmake --build --preset default'
step "release tests" ctest --preset default
[ "${1:-}" != --release-only ] || exit 0
step "sanitizer build" eval 'cmake --preset asan && cmake --build --preset asan'
# Plain ctest, without the preset's environment: each test sets up what it needs itself.
step "sanitizer tests" eval '(cd build/asan && ctest --output-on-failure --timeout 300)'
