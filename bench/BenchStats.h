#pragma once
// Median and p99 of timed calls, reported as benchmark counters in
// milliseconds: the budgets are medians, and p99 shows what the cashier
// waits for now and then.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace bench {

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

    void report(benchmark::State& state) const {
        if (millis_.empty()) return;
        state.counters["median_ms"] = quantile(0.5);
        state.counters["p99_ms"] = quantile(0.99);
    }

private:
    std::vector<double> millis_;
};

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

}  // namespace bench
