#pragma once

#include <algorithm>
#include <initializer_list>
#include <vector>

// The middle one of a bench's timed rounds, so that one disturbed round does
// not move the figure.
inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The seconds of several figures over a bench's rounds: round 0 warms up and
// is left out, and each figure is the median of the others.
class TimedRounds
{
public:
    explicit TimedRounds(size_t figures) : m_seconds(figures) {}

    // The figures' seconds in round `round`, in the order they were named.
    void record(int round, std::initializer_list<double> seconds)
    {
        if (round == 0)
            return;
        size_t figure = 0;
        for (const double s : seconds)
            m_seconds[figure++].push_back(s);
    }

    // One figure's seconds in round `round`.
    void record(int round, size_t figure, double seconds)
    {
        if (round > 0)
            m_seconds[figure].push_back(seconds);
    }

    double median(size_t figure) const { return ::median(m_seconds[figure]); }

private:
    std::vector<std::vector<double>> m_seconds;
};
