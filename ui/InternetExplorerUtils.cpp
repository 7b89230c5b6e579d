#include "ui/InternetExplorerUtils.h"

#include "core/ScopedHandle.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

namespace
{
std::string ReadBrowserCommand()
{
    CScopedRegKey key;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return {};
    DWORD size = 0;
    if (::RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0)
        return {};
    std::vector<char> value(size + 1, '\0');
    if (::RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    return value.data();
}

// The program part of a command line. Cut once: a path with a blank in its
// last part would lose it on a second cut.
std::string ProgramOfCommand(const std::string& command)
{
    const size_t open = command.find('"');
    if (open != std::string::npos)
    {
        const size_t close = command.find('"', open + 1);
        return close == std::string::npos ? command : command.substr(open + 1, close - open - 1);
    }
    const size_t lastBackslash = command.rfind('\\');
    const size_t blank = command.find(' ', lastBackslash == std::string::npos ? 0 : lastBackslash);
    return blank == std::string::npos ? command : command.substr(0, blank);
}
} // namespace

std::string CInternetExplorerUtils::GetDefaultBrowserPath()
{
    if (m_strBrowserPath.empty())
        m_strBrowserPath = ProgramOfCommand(ReadBrowserCommand());
    return m_strBrowserPath;
}

void CInternetExplorerUtils::OpenURL(const std::string& url, bool useDefaultBrowser)
{
    if (useDefaultBrowser)
    {
        const std::string browser = GetDefaultBrowserPath();
        const std::string argument = "\"" + url + "\"";
        if (!browser.empty() && reinterpret_cast<INT_PTR>(::ShellExecuteA(nullptr, nullptr, browser.c_str(),
                                                                          argument.c_str(), nullptr,
                                                                          SW_SHOWNORMAL)) > 32)
            return;
    }
    ::ShellExecuteA(nullptr, nullptr, url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
