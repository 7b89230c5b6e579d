// Opens a web address in the user's default browser.
#pragma once

#include <string>

class CInternetExplorerUtils
{
public:
    CInternetExplorerUtils() = default;
    virtual ~CInternetExplorerUtils() = default;

    // The program of HKEY_CLASSES_ROOT "http\shell\open\command": the text
    // from its first double quote to the next, or without quotes the text
    // up to the first blank after the last backslash. Read once it is found;
    // empty when there is no such command.
    std::string GetDefaultBrowserPath();

    // With the default browser asked for and known, runs it with the address
    // as its one (quoted) argument; otherwise, or when that fails, opens the
    // address through the shell's association.
    void OpenURL(const std::string& url, bool useDefaultBrowser);

private:
    std::string m_strBrowserPath;
};
