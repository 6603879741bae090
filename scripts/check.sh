#!/usr/bin/env bash
# Installs what is missing, builds everything (game, tests, benchmarks) and runs every test.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash scripts/setup.sh
cmake --preset default
cmake --build --preset default
ctest --preset default
