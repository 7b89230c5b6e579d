// zentavo_bench [--quick | --scale X] [--list] [name...]
// Runs every registered benchmark, or those whose name contains one of the
// given names, and prints their figures. --quick runs a token number of
// iterations so that the program can be checked to work.
#include "bench/Bench.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace
{
bool Selected(const std::string& name, const std::vector<std::string>& filters)
{
    if (filters.empty())
        return true;
    return std::any_of(filters.begin(), filters.end(),
                       [&](const std::string& filter) { return name.find(filter) != std::string::npos; });
}

int Usage()
{
    std::fprintf(stderr, "usage: zentavo_bench [--quick | --scale X] [--list] [name...]\n");
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    double scale = 1.0;
    bool list = false;
    std::vector<std::string> filters;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--quick") == 0)
            scale = 0.001;
        else if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc)
            scale = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--list") == 0)
            list = true;
        else if (argv[i][0] == '-')
            return Usage();
        else
            filters.emplace_back(argv[i]);
    }
    if (scale <= 0)
        return Usage();

    auto& registry = BenchRegistry();
    std::sort(registry.begin(), registry.end());

    int run = 0;
    CBenchContext context(scale);
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
        try
        {
            entry.second(context);
        }
        catch (const std::exception& e)
        {
            std::fprintf(stderr, "%s failed: %s\n", entry.first.c_str(), e.what());
            return 1;
        }
    }
    if (run == 0)
    {
        std::fprintf(stderr, "no benchmark matches\n");
        return 1;
    }
    return 0;
}
