// Reading the performance counter, and the median and nearest-rank percentile of samples.
#include "stats.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart * 1000.0 / frequency;
}

Summary Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    size_t rank = static_cast<size_t>(std::ceil(0.99 * n));
    return {median, values[std::max<size_t>(rank, 1) - 1], values.back()};
}

double Median(std::vector<double> values) { return Summarise(std::move(values)).median; }
