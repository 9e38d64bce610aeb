#pragma once
// Median and p99 of timed calls, reported as benchmark counters in
// milliseconds: the budgets are medians, and p99 shows what the cashier
// waits for now and then.
//
// Every figure with a budget is also printed as one line
//     BENCH-RATIO <label> <value> <goal>
// (a value at or below its goal is within budget), which scripts/bench.sh
// gathers from every benchmark into one table.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace bench {

// The whole of a benchmark program's main: the application object `App`
// (QApplication for windows, QCoreApplication otherwise) and every
// benchmark registered.
template <class App>
int runAll(int argc, char** argv) {
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The rounds a benchmark runs: `n`, or the share of it that the environment
// variable BENCH_ROUNDS_PERCENT asks for (never fewer than 3), for a short
// run on a busy machine (scripts/bench.sh passes it on).
inline int rounds(int n) {
    const char* percent = std::getenv("BENCH_ROUNDS_PERCENT");
    const int p = percent ? std::atoi(percent) : 100;
    if (p <= 0 || p >= 100) return n;
    return std::min(n, std::max(3, n * p / 100));
}

inline std::chrono::steady_clock::time_point now() {
    return std::chrono::steady_clock::now();
}

class Timings {
public:
    void add(std::chrono::steady_clock::time_point start) {
        millis_.push_back(std::chrono::duration<double, std::milli>(now() - start).count());
    }
    void addMillis(double ms) { millis_.push_back(ms); }

    double quantile(double q) const {
        if (millis_.empty()) return 0;
        std::vector<double> v = millis_;
        const auto k = static_cast<long>(q * double(v.size() - 1) + 0.5);
        std::nth_element(v.begin(), v.begin() + k, v.end());
        return v[size_t(k)];
    }
    double median() const { return quantile(0.5); }

    void report(benchmark::State& state) const {
        if (millis_.empty()) return;
        state.counters["median_ms"] = quantile(0.5);
        state.counters["p99_ms"] = quantile(0.99);
    }
    // Under a prefix, for a benchmark that times more than one side.
    void report(benchmark::State& state, const std::string& prefix) const {
        if (millis_.empty()) return;
        state.counters[prefix + "_median_ms"] = quantile(0.5);
        state.counters[prefix + "_p99_ms"] = quantile(0.99);
    }

private:
    std::vector<double> millis_;
};

// The line scripts/bench.sh reads (label: what is measured, without
// blanks, then "/" and the baseline it is divided by, timed in the same
// run, e.g. "archive.fpd_search/raw_lookup"; "/no_baseline" for an absolute
// figure); also a counter, so the figure shows in the benchmark's own table.
inline void budget(benchmark::State& state, const std::string& counter, const std::string& label, double value,
                   double goal) {
    state.counters[counter] = value;
    std::printf("BENCH-RATIO %s %.3f %.3f\n", label.c_str(), value, goal);
    std::fflush(stdout);
}

// A figure shown in the table beside the budgets without a goal of its own
// (what another figure is to be read against): "BENCH-INFO <label> <value>".
inline void info(const std::string& label, double value) {
    std::printf("BENCH-INFO %s %.3f\n", label.c_str(), value);
    std::fflush(stdout);
}

// Times each call of the benchmark loop and reports median and p99.
template <class F>
void timed(benchmark::State& state, F&& call) {
    Timings t;
    for (auto _ : state) {
        const auto start = now();
        call();
        t.add(start);
    }
    t.report(state);
}

// Our side and the raw side take turns in one loop, the first of the two
// changing every round, so that the load of a shared machine and warm
// caches fall on both alike. Reports both sides' median and p99 and the
// ratio of the medians against `goal` (none when 0). Returns our side's
// timings.
template <class Ours, class Raw>
Timings paired(benchmark::State& state, const std::string& label, double goal, Ours&& ours, Raw&& raw) {
    Timings o, r;
    bool rawFirst = false;
    for (auto _ : state) {
        for (int k = 0; k < 2; ++k) {
            const auto start = now();
            if ((k == 0) == rawFirst) {
                raw();
                r.add(start);
            } else {
                ours();
                o.add(start);
            }
        }
        rawFirst = !rawFirst;
    }
    o.report(state, "ours");
    r.report(state, "raw");
    const double ratio = r.median() > 0 ? o.median() / r.median() : 0;
    // Without a goal the ratio is shown beside a figure that has one, not
    // put in the table of budgets.
    if (goal > 0)
        budget(state, "ratio", label, ratio, goal);
    else
        state.counters["ratio"] = ratio;
    return o;
}

}  // namespace bench
