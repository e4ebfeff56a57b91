#pragma once
// Percentiles of measured times, shared by the benchmarks.

#include <algorithm>
#include <vector>

struct Stats {
    double median, p99;
};

inline Stats stats(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[std::min(v.size() - 1, size_t(v.size() * 0.99))]};
}
