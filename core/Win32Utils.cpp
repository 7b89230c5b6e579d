#include "core/Win32Utils.h"

#include <vector>

#include "core/Exceptions.h"

const char* const g_Kernel32DLLName = "Kernel32.dll";
const char* const g_WinINetDLLName = "wininet.dll";
std::atomic<HMODULE> g_Kernel32DLL{nullptr};
std::atomic<HMODULE> g_WinINetDLL{nullptr};

namespace
{
const DWORD kPumpSliceMs = 200;

// Binds a WinINet export once; a race only makes two threads store the same
// pointer.
template <typename Function>
Function BindWinINet(std::atomic<Function>& cache, const char* exportName)
{
    Function function = cache.load();
    if (!function)
    {
        const FARPROC address = CRuntimeLinkedDLL::GetFunction(g_WinINetDLLName, &g_WinINetDLL, exportName);
        function = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
        cache.store(function);
    }
    return function;
}

std::atomic<decltype(&::InternetOpenA)> s_InternetOpen{nullptr};
std::atomic<decltype(&::InternetSetOptionA)> s_InternetSetOption{nullptr};
std::atomic<decltype(&::InternetCrackUrlA)> s_InternetCrackUrl{nullptr};
std::atomic<decltype(&::InternetConnectA)> s_InternetConnect{nullptr};
std::atomic<decltype(&::HttpOpenRequestA)> s_HttpOpenRequest{nullptr};
std::atomic<decltype(&::HttpSendRequestA)> s_HttpSendRequest{nullptr};
std::atomic<decltype(&::HttpQueryInfoA)> s_HttpQueryInfo{nullptr};
std::atomic<decltype(&::InternetReadFile)> s_InternetReadFile{nullptr};
std::atomic<decltype(&::InternetCloseHandle)> s_InternetCloseHandle{nullptr};

// Takes one message off the queue and dispatches it. A WM_QUIT belongs to
// the thread's own message loop: it is kept aside instead of dispatched.
bool DispatchOneMessage(bool& quitSeen, WPARAM& quitCode)
{
    MSG message;
    if (!::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (message.message == WM_QUIT)
    {
        quitSeen = true;
        quitCode = message.wParam;
        return true;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
    return true;
}

HWND FindTabStop(HWND start, HWND (*step)(HWND))
{
    // From no window the wrapping step would walk the top-level windows
    // without ever coming back to the start.
    if (!start)
        return nullptr;
    HWND current = start;
    for (;;)
    {
        current = step(current);
        if (!current)
            return nullptr;
        if (::GetWindowLongA(current, GWL_STYLE) & WS_TABSTOP)
            return current;
        if (current == start)
            return nullptr;
    }
}
} // namespace

CRuntimeLinkedDLL::~CRuntimeLinkedDLL() = default;

HMODULE CRuntimeLinkedDLL::LoadDLL(const std::string& libraryName, std::atomic<HMODULE>* cache)
{
    HMODULE module = cache->load();
    if (module)
        return module;
    module = ::LoadLibraryA(libraryName.c_str());
    if (!module)
    {
        const HRESULT hr = HResultFromLastError();
        throw CGeneralException("Could not load " + libraryName + ", please install IE3 or higher", hr);
    }
    cache->store(module);
    return module;
}

FARPROC CRuntimeLinkedDLL::GetFunction(const std::string& libraryName, std::atomic<HMODULE>* cache,
                                       const char* functionName)
{
    const HMODULE module = LoadDLL(libraryName, cache);
    const FARPROC address = ::GetProcAddress(module, functionName);
    if (!address)
    {
        const HRESULT hr = HResultFromLastError();
        throw CGeneralException(std::string("Could not get ProcAddress for ") + functionName, hr);
    }
    return address;
}

FARPROC CRuntimeLinkedDLL::GetFunctionByOrdinal(const std::string& libraryName, std::atomic<HMODULE>* cache,
                                                WORD ordinal)
{
    HMODULE module = cache->load();
    if (!module)
    {
        module = ::LoadLibraryA(libraryName.c_str());
        if (!module)
        {
            const HRESULT hr = HResultFromLastError();
            throw CGeneralException("Could not load " + libraryName, hr);
        }
        cache->store(module);
    }
    const FARPROC address = ::GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    if (!address)
    {
        const HRESULT hr = HResultFromLastError();
        throw CGeneralException("Could not get ProcAddress for " + libraryName + " ordinal " + std::to_string(ordinal),
                                hr);
    }
    return address;
}

CWin32Utils::~CWin32Utils() = default;

HINTERNET CWin32Utils::InternetOpen(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags)
{
    return BindWinINet(s_InternetOpen, "InternetOpenA")(agent, accessType, proxy, proxyBypass, flags);
}

BOOL CWin32Utils::InternetSetOption(HINTERNET internet, DWORD option, LPVOID buffer, DWORD bufferLength)
{
    return BindWinINet(s_InternetSetOption, "InternetSetOptionA")(internet, option, buffer, bufferLength);
}

BOOL CWin32Utils::InternetCrackUrl(LPCSTR url, DWORD urlLength, DWORD flags, LPURL_COMPONENTSA components)
{
    return BindWinINet(s_InternetCrackUrl, "InternetCrackUrlA")(url, urlLength, flags, components);
}

HINTERNET CWin32Utils::InternetConnect(HINTERNET internet, LPCSTR serverName, INTERNET_PORT serverPort,
                                       LPCSTR userName, LPCSTR password, DWORD service, DWORD flags,
                                       DWORD_PTR context)
{
    return BindWinINet(s_InternetConnect, "InternetConnectA")(internet, serverName, serverPort, userName, password,
                                                               service, flags, context);
}

HINTERNET CWin32Utils::HttpOpenRequest(HINTERNET connect, LPCSTR verb, LPCSTR objectName, LPCSTR version,
                                       LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context)
{
    return BindWinINet(s_HttpOpenRequest, "HttpOpenRequestA")(connect, verb, objectName, version, referrer,
                                                               acceptTypes, flags, context);
}

BOOL CWin32Utils::HttpSendRequest(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                                  DWORD optionalLength)
{
    return BindWinINet(s_HttpSendRequest, "HttpSendRequestA")(request, headers, headersLength, optional,
                                                               optionalLength);
}

BOOL CWin32Utils::HttpQueryInfo(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength,
                                LPDWORD index)
{
    return BindWinINet(s_HttpQueryInfo, "HttpQueryInfoA")(request, infoLevel, buffer, bufferLength, index);
}

BOOL CWin32Utils::InternetReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead)
{
    return BindWinINet(s_InternetReadFile, "InternetReadFile")(file, buffer, bytesToRead, bytesRead);
}

BOOL CWin32Utils::InternetCloseHandle(HINTERNET internet)
{
    return BindWinINet(s_InternetCloseHandle, "InternetCloseHandle")(internet);
}

DWORD CWin32Utils::WaitForObjectPumpingMessages(HANDLE handle, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    bool pollNext = true;
    bool quitSeen = false;
    WPARAM quitCode = 0;
    DWORD result;
    for (;;)
    {
        result = ::WaitForSingleObject(handle, (pollNext || timeoutMs == 0) ? 0 : kPumpSliceMs);
        if (result != WAIT_TIMEOUT || timeoutMs == 0)
            break;
        // After a WM_QUIT nothing more is dispatched: the thread is leaving
        // its loop, and the message must reach that loop first.
        pollNext = !quitSeen && DispatchOneMessage(quitSeen, quitCode);
        // Unsigned arithmetic: one wrap of the tick count is harmless.
        if (::GetTickCount() - start > timeoutMs)
            break;
    }
    if (quitSeen)
        ::PostQuitMessage(static_cast<int>(quitCode));
    return result;
}

bool CWin32Utils::PumpMessages(DWORD budgetMs)
{
    const DWORD start = ::GetTickCount();
    bool quitSeen = false;
    WPARAM quitCode = 0;
    bool emptied = false;
    // Unsigned arithmetic: one wrap of the tick count is harmless.
    while (budgetMs == INFINITE || ::GetTickCount() - start < budgetMs)
    {
        if (!DispatchOneMessage(quitSeen, quitCode) || quitSeen)
        {
            emptied = true;
            break;
        }
    }
    if (quitSeen)
        ::PostQuitMessage(static_cast<int>(quitCode));
    return emptied;
}

bool CWin32Utils::HResultToWin32Error(HRESULT hr, DWORD& win32Error)
{
    const DWORD value = static_cast<DWORD>(hr);
    if ((value & 0xFFFF0000u) == 0x80070000u)
    {
        win32Error = value & 0x0000FFFFu;
        return true;
    }
    if (value == 0)
    {
        win32Error = 0;
        return true;
    }
    return false;
}

std::string CWin32Utils::GetEnvironmentVariable(const std::string& name)
{
    std::string value;
    try
    {
        char small[50];
        const DWORD length = ::GetEnvironmentVariableA(name.c_str(), small, sizeof(small));
        if (length == 0)
            return value;
        if (length <= sizeof(small))
        {
            value = small;
            return value;
        }
        // length is the size needed, terminator included. The variable may
        // change between the calls; a value that no longer fits is not read.
        std::vector<char> large(length);
        const DWORD second = ::GetEnvironmentVariableA(name.c_str(), large.data(), length);
        if (second != 0 && second < length)
            value.assign(large.data(), second);
    }
    catch (...)
    {
    }
    return value;
}

std::string CWin32Utils::GetWindowText(HWND window)
{
    const int size = ::GetWindowTextLengthA(window) + 10;
    std::vector<char> buffer(static_cast<size_t>(size), '\0');
    ::GetWindowTextA(window, buffer.data(), size);
    return buffer.data();
}

std::string CWin32Utils::GetDlgItemText(HWND dialog, int controlId)
{
    const int size = static_cast<int>(::SendDlgItemMessageA(dialog, controlId, WM_GETTEXTLENGTH, 0, 0)) + 10;
    std::vector<char> buffer(static_cast<size_t>(size), '\0');
    ::GetDlgItemTextA(dialog, controlId, buffer.data(), size);
    return buffer.data();
}

HWND CWin32Utils::GetNextSiblingWrapped(HWND window)
{
    HWND next = ::GetWindow(window, GW_HWNDNEXT);
    if (!next)
        next = ::GetTopWindow(::GetParent(window));
    return next;
}

HWND CWin32Utils::GetPrevSibling(HWND window)
{
    return ::GetWindow(window, GW_HWNDPREV);
}

HWND CWin32Utils::GetNextTabStopWindow(HWND window)
{
    return FindTabStop(window, &CWin32Utils::GetNextSiblingWrapped);
}

HWND CWin32Utils::GetPrevTabStopWindow(HWND window)
{
    return FindTabStop(window, &CWin32Utils::GetPrevSibling);
}
