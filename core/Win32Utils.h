// Libraries bound by name at run time, the WinINet functions reached through
// them, the message-pumping wait and a few window and environment helpers.
//
// Module handles and function pointers are cached process-wide on first use
// and never released: a library loaded here stays loaded for the life of the
// process. A failed lookup caches nothing and is tried again on the next call.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <string>

#include "core/ScopedHandle.h"

class CRuntimeLinkedDLL
{
public:
    virtual ~CRuntimeLinkedDLL();

    // Returns the cached module handle, or loads the library and caches it.
    // Throws CGeneralException "Could not load <name>, please install IE3 or
    // higher" when the library cannot be loaded.
    static HMODULE LoadDLL(const std::string& libraryName, std::atomic<HMODULE>* cache);

    // LoadDLL, then the named export. Throws CGeneralException "Could not get
    // ProcAddress for <functionName>" when it is missing. Caches nothing.
    static FARPROC GetFunction(const std::string& libraryName, std::atomic<HMODULE>* cache,
                               const char* functionName);

    // The export with that ordinal (MAPI32 exports its functions by number).
    // Throws CGeneralException "Could not load <name>" or "Could not get
    // ProcAddress for <name> ordinal <n>". Caches the module like LoadDLL.
    static FARPROC GetFunctionByOrdinal(const std::string& libraryName, std::atomic<HMODULE>* cache, WORD ordinal);
};

// Library names and module-handle caches shared by every run-time binding;
// constant-initialised, so usable from other globals' constructors.
extern const char* const g_Kernel32DLLName;
extern const char* const g_WinINetDLLName;
extern std::atomic<HMODULE> g_Kernel32DLL;
extern std::atomic<HMODULE> g_WinINetDLL;

class CWin32Utils
{
public:
    virtual ~CWin32Utils();

    // WinINet, bound at run time. Arguments and results are those of the ANSI
    // functions, passed through unchanged; GetLastError is theirs too. The
    // first call of each may throw CGeneralException when WinINet or the
    // export is missing.
    static HINTERNET InternetOpen(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags);
    static BOOL InternetSetOption(HINTERNET internet, DWORD option, LPVOID buffer, DWORD bufferLength);
    static BOOL InternetCrackUrl(LPCSTR url, DWORD urlLength, DWORD flags, LPURL_COMPONENTSA components);
    static HINTERNET InternetConnect(HINTERNET internet, LPCSTR serverName, INTERNET_PORT serverPort,
                                     LPCSTR userName, LPCSTR password, DWORD service, DWORD flags,
                                     DWORD_PTR context);
    static HINTERNET HttpOpenRequest(HINTERNET connect, LPCSTR verb, LPCSTR objectName, LPCSTR version,
                                     LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context);
    static BOOL HttpSendRequest(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                                DWORD optionalLength);
    static BOOL HttpQueryInfo(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength,
                              LPDWORD index);
    static BOOL InternetReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead);
    static BOOL InternetCloseHandle(HINTERNET internet);

    // Waits for the object while keeping the calling thread's window messages
    // flowing: 0 ms polls around each dispatched message, 200 ms waits when
    // the queue is empty. INFINITE waits without limit; the time-out is
    // checked between slices only. Returns WAIT_OBJECT_0, WAIT_TIMEOUT, or
    // any other wait result (WAIT_ABANDONED, WAIT_FAILED) as it came. A
    // WM_QUIT met on the way is posted again when the wait ends.
    static DWORD WaitForObjectPumpingMessages(HANDLE handle, DWORD timeoutMs);

    // Dispatches the waiting messages of the calling thread, every one or
    // (budgetMs other than INFINITE) those that come within the budget;
    // stops at (and leaves queued) a WM_QUIT. True when the queue was
    // emptied or a WM_QUIT met, false when the budget ran out first.
    static bool PumpMessages(DWORD budgetMs = INFINITE);

    // 0x8007xxxx gives xxxx, S_OK gives 0; anything else is false and leaves
    // the code untouched.
    static bool HResultToWin32Error(HRESULT hr, DWORD& win32Error);

    // The variable's value; empty when it is unset or cannot be read.
    static std::string GetEnvironmentVariable(const std::string& name);

    static std::string GetWindowText(HWND window);
    static std::string GetDlgItemText(HWND dialog, int controlId);

    // The next sibling in z-order, wrapping to the parent's first child.
    static HWND GetNextSiblingWrapped(HWND window);
    static HWND GetPrevSibling(HWND window);
    // The next (wrapping) or previous (not wrapping) sibling with WS_TABSTOP;
    // the window itself when it is the only tab stop; null when none, and
    // for a null window.
    static HWND GetNextTabStopWindow(HWND window);
    static HWND GetPrevTabStopWindow(HWND window);
};

// Owner of a WinINet handle (session, connection or request), closed through
// the run-time bound InternetCloseHandle.
struct InternetHandleTraits
{
    using Handle = HINTERNET;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept
    {
        try
        {
            CWin32Utils::InternetCloseHandle(handle);
        }
        catch (...)
        {
            // A handle exists only once WinINet is bound; nothing to do.
        }
    }
};

using CScopedInternetHandle = CScopedHandle<InternetHandleTraits>;
