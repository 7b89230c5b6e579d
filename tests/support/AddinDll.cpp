#include "tests/support/AddinDll.h"

#include "core/ScopedHandle.h"

#include <cstdlib>

std::wstring AddinDllPath()
{
    const char* unixPath = std::getenv("ZENTAVO_ADDIN_DLL");
    if (!unixPath)
        return std::wstring();
    std::wstring path = L"Z:";
    for (const char* c = unixPath; *c; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

DWORD RunRegsvr32(const std::wstring& arguments)
{
    std::wstring commandLine = L"regsvr32.exe /s " + arguments + L" \"" + AddinDllPath() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    // Under a loaded machine Wine's process start now and then fails with
    // ERROR_INTERNAL_ERROR before regsvr32 runs at all; a later start works.
    for (int attempt = 1;; ++attempt)
    {
        if (::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process))
            break;
        const DWORD error = ::GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == 3)
            return error | 0x80000000u;
        ::Sleep(500);
    }
    CScopedKernelHandle processHandle(process.hProcess);
    CScopedKernelHandle threadHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    return exitCode;
}
