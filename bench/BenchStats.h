#pragma once

#include <algorithm>
#include <vector>

// The value at fraction p (0 to 1) of the sorted samples, nearest rank.
inline double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5))];
}
