// Timing and the ROW lines shared by the benchmark programs (under Wine and natively).
//   ROW <tab> measure <tab> value <tab> unit <tab> comparison
// bench/run_benchmarks.sh gathers these lines into one table.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace quorlin::bench {

inline double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

inline double Median(std::vector<double> v) {
    if (v.empty()) return std::nan("");
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

// Three significant digits, or "n/a".
inline std::string Fmt(double v) {
    char buf[64];
    if (std::isnan(v)) return "n/a";
    const double a = std::fabs(v);
    if (a >= 100) std::snprintf(buf, sizeof buf, "%.0f", v);
    else if (a >= 10) std::snprintf(buf, sizeof buf, "%.1f", v);
    else if (a >= 1) std::snprintf(buf, sizeof buf, "%.2f", v);
    else std::snprintf(buf, sizeof buf, "%.3f", v);
    return buf;
}

inline void Row(const std::string& measure, double value, const std::string& unit,
                const std::string& comparison = "") {
    std::printf("ROW\t%s\t%s\t%s\t%s\n", measure.c_str(), Fmt(value).c_str(), unit.c_str(), comparison.c_str());
    std::fflush(stdout);
}

inline std::string Ratio(double a, double b, const char* what) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "%.2fx %s", a / b, what);
    return buf;
}

// Median over `runs` of the mean time of `iterations` calls, in ms.
inline double TimeMedian(int runs, int iterations, const std::function<void()>& body) {
    std::vector<double> per;
    for (int r = 0; r < runs; ++r) {
        const double t0 = NowMs();
        for (int i = 0; i < iterations; ++i) body();
        per.push_back((NowMs() - t0) / iterations);
    }
    return Median(per);
}

}  // namespace quorlin::bench
