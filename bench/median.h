#pragma once

#include <algorithm>
#include <vector>

// The middle one of a bench's timed rounds, so that one disturbed round does
// not move the figure.
inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
