// zentavo_bench [--quick | --scale X] [--limit S] [--list] [name...]
// Runs every registered benchmark, or those whose name contains one of the
// given names, and prints their figures. --quick runs a token number of
// iterations so that the program can be checked to work. A benchmark still
// running after S seconds (240 unless given) ends the program with a
// message that names it and its step, and exit code 3: a hang is reported
// by the program itself, well before a caller's own time-out.
#include "bench/Bench.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>

namespace
{
const int kOverrunExitCode = 3;

// Watches the benchmark that runs; the thread it waits on may be stuck
// anywhere, so the end is TerminateProcess, not a return through it.
class CWatchdog
{
public:
    CWatchdog(const CBenchContext& context, double limitSeconds)
        : m_Context(context), m_Limit(std::chrono::duration<double>(limitSeconds)), m_Thread([this] { Watch(); })
    {
    }

    ~CWatchdog()
    {
        {
            const std::lock_guard<std::mutex> lock(m_Lock);
            m_Stop = true;
        }
        m_Changed.notify_all();
        m_Thread.join();
    }

    void Begin()
    {
        const std::lock_guard<std::mutex> lock(m_Lock);
        m_Started = std::chrono::steady_clock::now();
        m_Running = true;
        m_Changed.notify_all();
    }

    void End()
    {
        const std::lock_guard<std::mutex> lock(m_Lock);
        m_Running = false;
        m_Changed.notify_all();
    }

private:
    void Watch()
    {
        std::unique_lock<std::mutex> lock(m_Lock);
        while (!m_Stop)
        {
            if (!m_Running)
            {
                m_Changed.wait(lock);
                continue;
            }
            const auto deadline = m_Started + std::chrono::duration_cast<std::chrono::steady_clock::duration>(m_Limit);
            if (m_Changed.wait_until(lock, deadline) == std::cv_status::timeout && m_Running &&
                std::chrono::steady_clock::now() >= deadline)
            {
                std::fprintf(stderr, "zentavo_bench: %s has not finished within %g s\n",
                             m_Context.Describe().c_str(), m_Limit.count());
                std::fflush(stderr);
                std::fflush(stdout);
                ::TerminateProcess(::GetCurrentProcess(), kOverrunExitCode);
            }
        }
    }

    const CBenchContext& m_Context;
    const std::chrono::duration<double> m_Limit;
    std::mutex m_Lock;
    std::condition_variable m_Changed;
    std::chrono::steady_clock::time_point m_Started;
    bool m_Running = false;
    bool m_Stop = false;
    std::thread m_Thread;
};

bool Selected(const std::string& name, const std::vector<std::string>& filters)
{
    if (filters.empty())
        return true;
    return std::any_of(filters.begin(), filters.end(),
                       [&](const std::string& filter) { return name.find(filter) != std::string::npos; });
}

int Usage()
{
    std::fprintf(stderr, "usage: zentavo_bench [--quick | --scale X] [--limit S] [--list] [name...]\n");
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    double scale = 1.0;
    double limitSeconds = 240;
    bool list = false;
    std::vector<std::string> filters;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--quick") == 0)
            scale = 0.001;
        else if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc)
            scale = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--limit") == 0 && i + 1 < argc)
            limitSeconds = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--list") == 0)
            list = true;
        else if (argv[i][0] == '-')
            return Usage();
        else
            filters.emplace_back(argv[i]);
    }
    if (scale <= 0 || limitSeconds <= 0)
        return Usage();

    auto& registry = BenchRegistry();
    std::sort(registry.begin(), registry.end());

    int run = 0;
    CBenchContext context(scale);
    CWatchdog watchdog(context, limitSeconds);
    for (const auto& entry : registry)
    {
        if (!Selected(entry.first, filters))
            continue;
        ++run;
        if (list)
        {
            std::printf("%s\n", entry.first.c_str());
            continue;
        }
        context.SetCurrentName(entry.first);
        watchdog.Begin();
        try
        {
            entry.second(context);
        }
        catch (const std::exception& e)
        {
            std::fprintf(stderr, "%s failed: %s\n", context.Describe().c_str(), e.what());
            return 1;
        }
        watchdog.End();
    }
    if (run == 0)
    {
        std::fprintf(stderr, "no benchmark matches\n");
        return 1;
    }
    return 0;
}
