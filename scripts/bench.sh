#!/usr/bin/env bash
# Builds and runs the benchmarks (not part of the test run), then prints one
# table of every budgeted figure against its goal. Arguments go to every
# benchmark (e.g. --benchmark_filter=Sales).
#
# A benchmark reports a figure with a line "BENCH-RATIO <label> <value> <goal>"
# (bench/BenchStats.h). Counters whose name holds "ratio" in a benchmark
# that prints no such line are taken from its JSON output, with the goals
# known below (others are shown without a verdict).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTARVI_BUILD_TESTS=OFF -DTARVI_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j"$(nproc)"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for b in build-bench/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  name=$(basename "$b")
  QT_QPA_PLATFORM=offscreen "$b" --benchmark_out="$out/$name.json" --benchmark_out_format=json "$@" |
    tee "$out/$name.txt"
done

python3 - "$out" <<'EOF'
import glob, json, os, sys

out = sys.argv[1]
# Goals of counters from benchmarks that print no BENCH-RATIO lines.
known = {
    "import_ratio": 2.0, "export_ratio": 2.0, "reimport_ratio": 3.0,
    "growth_ratio": 1.10, "reader_growth_ratio": 1.10,
}
rows = []
for txt in sorted(glob.glob(os.path.join(out, "*.txt"))):
    bench = os.path.basename(txt)[:-4]
    lines = [l.split() for l in open(txt, encoding="utf-8", errors="replace") if l.startswith("BENCH-RATIO ")]
    if lines:
        for l in lines:
            if len(l) == 4:
                rows.append((bench, l[1], float(l[2]), float(l[3])))
        continue
    try:
        data = json.load(open(txt[:-4] + ".json"))
    except (OSError, ValueError):
        continue
    for b in data.get("benchmarks", []):
        if b.get("run_type") == "aggregate":
            continue
        for key, value in b.items():
            if "ratio" in key and isinstance(value, (int, float)):
                rows.append((bench, b["name"] + "/" + key, float(value), known.get(key, 0.0)))

if not rows:
    sys.exit(0)
width = max(len(r[1]) for r in rows)
print()
print(f"{'benchmark':<18} {'figure':<{width}} {'value':>9} {'goal':>7}  verdict")
for bench, label, value, goal in rows:
    verdict = "-" if goal <= 0 else ("ok" if value <= goal else "OVER")
    goal_text = "-" if goal <= 0 else f"{goal:.2f}"
    print(f"{bench:<18} {label:<{width}} {value:>9.3f} {goal_text:>7}  {verdict}")
EOF
