// A small registry of named benchmarks. Each area adds one source file here
// that registers its benchmarks with a CBenchRegistration at namespace scope;
// zentavo_bench runs them in name order and prints one line per figure.
// Benchmarks that measure step by step also tell each step's result on
// stderr as it comes, and what they are doing, for the watchdog's message
// when a benchmark overruns its time (Main.cpp).
#pragma once

#include <windows.h>

#include <mutex>
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

    // What the benchmark is about to do; the watchdog names it.
    void Doing(const std::string& what);
    // That step's result, on stderr at once.
    void Done(const std::string& result);
    // The benchmark and its step, for the watchdog's thread.
    std::string Describe() const;

    void SetCurrentName(const std::string& name);

private:
    double m_Scale;
    LARGE_INTEGER m_Frequency;
    std::string m_CurrentName;
    mutable std::mutex m_StepLock;
    std::string m_Step;
};

using BenchFunction = void (*)(CBenchContext& context);

struct CBenchRegistration
{
    CBenchRegistration(const char* name, BenchFunction function);
};

// Every registered benchmark, sorted by name on first use by main.
std::vector<std::pair<std::string, BenchFunction>>& BenchRegistry();
