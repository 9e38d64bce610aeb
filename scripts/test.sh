#!/usr/bin/env bash
# Builds everything and runs every test on the offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVI_BUILD_TESTS=ON -DTARVI_WERROR=ON >/dev/null
cmake --build build-tests -j"$(nproc)"
cd build-tests
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" "$@"
