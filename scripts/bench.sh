#!/usr/bin/env bash
# Builds and runs the benchmarks (not part of the test run).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTARVI_BUILD_TESTS=OFF -DTARVI_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j"$(nproc)"
for b in build-bench/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] && QT_QPA_PLATFORM=offscreen "$b" "$@"
done
