#include "bench/Bench.h"

#include <algorithm>
#include <cstdio>

namespace
{
volatile long long g_Kept = 0;
}

CBenchContext::CBenchContext(double scale) : m_Scale(scale)
{
    ::QueryPerformanceFrequency(&m_Frequency);
}

long long CBenchContext::Iterations(long long nominal) const
{
    const long long scaled = static_cast<long long>(static_cast<double>(nominal) * m_Scale);
    return scaled < 1 ? 1 : scaled;
}

void CBenchContext::Report(const std::string& figure, double value, const std::string& unit,
                           const std::string& note)
{
    std::string line = m_CurrentName;
    line.resize(std::max<size_t>(line.size() + 1, 9), ' ');
    line += figure;
    line.resize(std::max<size_t>(line.size() + 1, 54), ' ');
    char number[32];
    std::snprintf(number, sizeof(number), "%12.3f ", value);
    line += number + unit;
    if (!note.empty())
        line += "  (" + note + ")";
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void CBenchContext::Skip(const std::string& reason)
{
    std::string line = m_CurrentName;
    line.resize(std::max<size_t>(line.size() + 1, 9), ' ');
    std::printf("%sskipped: %s\n", line.c_str(), reason.c_str());
    std::fflush(stdout);
}

void CBenchContext::Doing(const std::string& what)
{
    const std::lock_guard<std::mutex> lock(m_StepLock);
    m_Step = what;
}

void CBenchContext::Done(const std::string& result)
{
    std::string step;
    {
        const std::lock_guard<std::mutex> lock(m_StepLock);
        step = m_Step;
    }
    std::fprintf(stderr, "%s  %s: %s\n", m_CurrentName.c_str(), step.c_str(), result.c_str());
    std::fflush(stderr);
}

std::string CBenchContext::Describe() const
{
    const std::lock_guard<std::mutex> lock(m_StepLock);
    return m_Step.empty() ? m_CurrentName : m_CurrentName + " (" + m_Step + ")";
}

void CBenchContext::SetCurrentName(const std::string& name)
{
    const std::lock_guard<std::mutex> lock(m_StepLock);
    m_CurrentName = name;
    m_Step.clear();
}

void CBenchContext::Keep(long long value)
{
    g_Kept = g_Kept + value;
}

std::vector<std::pair<std::string, BenchFunction>>& BenchRegistry()
{
    static std::vector<std::pair<std::string, BenchFunction>> registry;
    return registry;
}

CBenchRegistration::CBenchRegistration(const char* name, BenchFunction function)
{
    BenchRegistry().emplace_back(name, function);
}

double CBenchContext::ThreadCPUSeconds()
{
    FILETIME creation;
    FILETIME exit;
    FILETIME kernel;
    FILETIME user;
    if (!::GetThreadTimes(::GetCurrentThread(), &creation, &exit, &kernel, &user))
        return 0;
    auto seconds = [](const FILETIME& time) {
        ULARGE_INTEGER value;
        value.LowPart = time.dwLowDateTime;
        value.HighPart = time.dwHighDateTime;
        return static_cast<double>(value.QuadPart) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}
