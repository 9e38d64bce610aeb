#!/usr/bin/env bash
# Builds the program and starts it. The database (embedded engine) is created
# on first start under build/bin/DB/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVI_BUILD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target tarvi
exec build/bin/tarvi "$@"
