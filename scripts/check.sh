#!/usr/bin/env bash
# Installs what is missing, builds everything (game, tests, benchmarks) and runs every test: once
# in the release build, then again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash scripts/setup.sh
cmake --preset default
cmake --build --preset default
ctest --preset default
cmake --preset asan
cmake --build --preset asan
# Plain ctest, without the preset's environment: each test sets up what it needs itself.
(cd build/asan && ctest --output-on-failure --timeout 300)
