// Time for the benchmark: the performance counter (the same clock in every
// process of the machine, so host processes' start and end times compare), and
// the percentiles of a set of latencies.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace Bench
{

inline LONGLONG Counter()
{
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

inline double SecondsBetween(LONGLONG llStart, LONGLONG llEnd)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(llEnd - llStart) / static_cast<double>(frequency.QuadPart);
}

// Microseconds per call of body(i) over nCalls calls.
template <typename Body> double MicrosecondsPerCall(int nCalls, Body body)
{
    const LONGLONG llStart = Counter();
    for (int i = 0; i < nCalls; ++i)
        body(i);
    return SecondsBetween(llStart, Counter()) * 1e6 / (nCalls > 0 ? nCalls : 1);
}

// The p-th percentile (0..100, nearest rank) of the values; 0 for none.
inline double Percentile(std::vector<float> values, double p)
{
    if (values.empty())
        return 0;
    std::size_t nRank = static_cast<std::size_t>(p / 100.0 * static_cast<double>(values.size()));
    if (nRank >= values.size())
        nRank = values.size() - 1;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(nRank), values.end());
    return values[nRank];
}

} // namespace Bench
