// A small registry of named benchmarks. Each area adds one source file here
// that registers its benchmarks with a CBenchRegistration at namespace scope;
// zentavo_bench runs them in name order and prints one line per figure.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

class CBenchContext
{
public:
    explicit CBenchContext(double scale);

    // The nominal iteration count times the run's scale, at least 1. A
    // nominal count should take about half a second at scale 1.
    long long Iterations(long long nominal) const;

    // Seconds taken by `iterations` calls of fn.
    template <typename Fn>
    double Time(long long iterations, Fn&& fn) const
    {
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        ::QueryPerformanceCounter(&start);
        for (long long i = 0; i < iterations; ++i)
            fn();
        ::QueryPerformanceCounter(&end);
        return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(m_Frequency.QuadPart);
    }

    // One printed line: the benchmark's name, the figure, its value and unit,
    // and an optional note such as the target.
    void Report(const std::string& figure, double value, const std::string& unit, const std::string& note = "");

    // A line in place of the figures of a benchmark that cannot run here.
    void Skip(const std::string& reason);

    // Keeps a result alive so that the compiler cannot drop the work.
    static void Keep(long long value);

    // User and kernel time of the calling thread so far, in seconds.
    static double ThreadCPUSeconds();

    void SetCurrentName(const std::string& name) { m_CurrentName = name; }

private:
    double m_Scale;
    LARGE_INTEGER m_Frequency;
    std::string m_CurrentName;
};

using BenchFunction = void (*)(CBenchContext& context);

struct CBenchRegistration
{
    CBenchRegistration(const char* name, BenchFunction function);
};

// Every registered benchmark, sorted by name on first use by main.
std::vector<std::pair<std::string, BenchFunction>>& BenchRegistry();
