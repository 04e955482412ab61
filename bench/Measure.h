// Timing for the benchmark: contenders run in turn, round after round, so that drift hits
// them all alike; every other round in reverse, so that none always follows the same one.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

struct Contender {
    const char* name;
    std::function<void()> call;
    std::vector<double> rounds = {}; // ns per call, one entry per round
};

inline double NowNs()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e9 / frequency;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The median over rounds of a's time over b's in the same round.
inline double RatioMedian(const Contender& a, const Contender& b)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < a.rounds.size() && i < b.rounds.size(); ++i)
        ratios.push_back(a.rounds[i] / b.rounds[i]);
    return Median(ratios);
}

inline void Measure(std::vector<Contender>& contenders, int rounds, int callsPerRound,
                    int warmUp)
{
    for (Contender& c : contenders) {
        for (int i = 0; i < warmUp; ++i)
            c.call();
    }
    const size_t count = contenders.size();
    for (int round = 0; round < rounds; ++round) {
        for (size_t turn = 0; turn < count; ++turn) {
            Contender& c = contenders[round % 2 ? count - 1 - turn : turn];
            const double start = NowNs();
            for (int i = 0; i < callsPerRound; ++i)
                c.call();
            c.rounds.push_back((NowNs() - start) / callsPerRound);
        }
    }
}
