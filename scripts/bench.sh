#!/usr/bin/env bash
# Builds and runs the benchmarks (not part of the test run), then prints one
# table of every budgeted figure with its goal and a verdict. Arguments go to
# every benchmark (e.g. --benchmark_filter=Sales). BENCH_JOBS sets the build's
# parallel jobs (default: all processors); BENCH_ROUNDS_PERCENT=25 runs a
# quarter of every benchmark's rounds (a short run on a busy machine).
#
# A benchmark reports each budgeted figure with a line
# "BENCH-RATIO <label> <value> <goal>" (bench/BenchStats.h): within budget
# when the value is at most the goal. The label ends in "/" and the baseline
# the figure is divided by, which did the same work timed in the same run
# (the raw client library, a plain widget, the same code at another size);
# a figure without one ends in "/no_baseline" and is marked so in the table.
# "BENCH-INFO <label> <value>" is a figure shown beside the others, to read
# them by, with no goal. A benchmark that ran and reported no figure at all
# is listed as such, so that no budget goes unchecked unseen.
#
# The figures are medians of timings taken in turns with the raw side on a
# machine that may be busy: read a verdict near its goal as noise until a
# second run agrees.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTARVI_BUILD_TESTS=OFF -DTARVI_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j"${BENCH_JOBS:-$(nproc)}"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for b in build-bench/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  name=$(basename "$b")
  QT_QPA_PLATFORM=offscreen "$b" "$@" | tee "$out/$name.txt" || echo "BENCH-FAILED $name" >>"$out/$name.txt"
done

python3 - "$out" <<'EOF'
import glob, os, sys

out = sys.argv[1]
rows, infos, silent = [], [], []
for txt in sorted(glob.glob(os.path.join(out, "*.txt"))):
    bench = os.path.basename(txt)[:-4]
    found = False
    for line in open(txt, encoding="utf-8", errors="replace"):
        parts = line.split()
        if len(parts) == 4 and parts[0] == "BENCH-RATIO":
            rows.append((bench, parts[1], float(parts[2]), float(parts[3])))
            found = True
        elif len(parts) == 3 and parts[0] == "BENCH-INFO":
            infos.append((bench, parts[1], float(parts[2])))
        elif parts[:1] == ["BENCH-FAILED"]:
            silent.append((bench, "the benchmark failed"))
            found = True
    # A filter that selected nothing of a benchmark is no failure of it.
    ran = any(l.startswith("Benchmark") for l in open(txt, encoding="utf-8", errors="replace"))
    if not found and ran:
        silent.append((bench, "no budgeted figure reported"))

if not rows and not silent:
    sys.exit(0)
width = max([len(r[1]) for r in rows] + [len(i[1]) for i in infos] + [len("figure")])
print()
print(f"{'benchmark':<18} {'figure':<{width}} {'value':>9} {'goal':>9}  verdict")
over = 0
for bench, label, value, goal in rows:
    within = value <= goal
    over += not within
    verdict = 'within budget' if within else 'OVER BUDGET'
    if label.endswith("/no_baseline"):
        verdict += " (absolute: no baseline)"
    print(f"{bench:<18} {label:<{width}} {value:>9.3f} {goal:>9.3f}  {verdict}")
for bench, label, value in infos:
    print(f"{bench:<18} {label:<{width}} {value:>9.3f} {'-':>9}  shown for comparison")
for bench, why in silent:
    print(f"{bench:<18} {'-':<{width}} {'':>9} {'':>9}  {why}")
print()
print(f"{len(rows) - over} of {len(rows)} figures within budget"
      " (medians on a shared machine: repeat a run before trusting a verdict near its goal).")
EOF
