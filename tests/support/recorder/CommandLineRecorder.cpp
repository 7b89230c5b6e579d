// A stand-in browser: writes the arguments it was started with, one a line
// in UTF-8, to the file that ZENTAVO_RECORDER_OUTPUT names. The file appears
// whole (written beside it, then renamed), so a reader never sees half.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

int main()
{
    std::vector<wchar_t> output(32768, L'\0');
    if (!::GetEnvironmentVariableW(L"ZENTAVO_RECORDER_OUTPUT", output.data(), static_cast<DWORD>(output.size())))
        return 1;

    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments)
        return 1;
    std::string text;
    for (int i = 1; i < count; ++i)
    {
        const int size = ::WideCharToMultiByte(CP_UTF8, 0, arguments[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(static_cast<size_t>(size > 0 ? size : 1), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, arguments[i], -1, argument.data(), size, nullptr, nullptr);
        argument.resize(argument.size() - 1);
        text += argument + "\n";
    }
    ::LocalFree(arguments);

    const std::wstring final = output.data();
    const std::wstring partial = final + L".partial";
    const HANDLE file = ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    return ::MoveFileExW(partial.c_str(), final.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
