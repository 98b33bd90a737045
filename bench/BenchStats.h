#pragma once

#include <algorithm>
#include <ctime>
#include <vector>

// Nanoseconds on the clock every process of the machine shares.
inline long long monotonicNs()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

// The middle sample (the upper one of an even count).
template <typename T> T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The value at fraction p (0 to 1) of the sorted samples, nearest rank.
inline double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5))];
}
