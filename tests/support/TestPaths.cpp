#include "tests/support/TestPaths.h"

#include <windows.h>

std::string TempFilePath(const std::string& fileName)
{
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + fileName;
}

std::string ProgramBesideTest(const std::string& fileName)
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder.erase(folder.find_last_of('\\') + 1);
    return folder + fileName;
}
