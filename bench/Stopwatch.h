// Wall-clock timing with the performance counter, and the statistics the report uses.
#pragma once
#include <windows.h>

#include <algorithm>
#include <vector>

namespace bench {

inline LONGLONG Ticks() noexcept
{
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

inline double TicksToMicroseconds(LONGLONG ticks) noexcept
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return static_cast<double>(ticks) * 1e6 / frequency;
}

// The middle of the samples (the mean of the two middle ones for an even count).
inline double Median(std::vector<double> samples)
{
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    const size_t mid = samples.size() / 2;
    return samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2.0;
}

// The sample below which the given fraction of samples lie (nearest rank).
inline double Quantile(std::vector<double> samples, double fraction)
{
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    size_t rank = static_cast<size_t>(fraction * static_cast<double>(samples.size()));
    if (rank >= samples.size())
        rank = samples.size() - 1;
    return samples[rank];
}

} // namespace bench
