#include "core/Win32Utils.h"

#include <gtest/gtest.h>

#include "core/Exceptions.h"
#include "tests/support/TestMessageWindow.h"

namespace
{
TEST(RuntimeLinkedDLL, LoadsOnceAndNamesWhatIsMissing)
{
    std::atomic<HMODULE> cache{reinterpret_cast<HMODULE>(::GetModuleHandleA(nullptr))};
    // A filled cache is answered without loading anything.
    EXPECT_EQ(cache.load(), CRuntimeLinkedDLL::LoadDLL("zentavo-no-such.dll", &cache));

    std::atomic<HMODULE> empty{nullptr};
    try
    {
        CRuntimeLinkedDLL::LoadDLL("zentavo-no-such.dll", &empty);
        ADD_FAILURE() << "loaded a missing library";
    }
    catch (const CGeneralException& e)
    {
        EXPECT_EQ("Could not load zentavo-no-such.dll, please install IE3 or higher", e.GetDescription());
        EXPECT_EQ(HResultFromWin32(ERROR_MOD_NOT_FOUND), e.GetHResult());
    }
    EXPECT_EQ(nullptr, empty.load());

    const HMODULE kernel32 = CRuntimeLinkedDLL::LoadDLL("Kernel32.dll", &empty);
    EXPECT_EQ(::GetModuleHandleA("kernel32.dll"), kernel32);
    EXPECT_EQ(kernel32, empty.load());

    try
    {
        CRuntimeLinkedDLL::GetFunction("Kernel32.dll", &empty, "ZentavoNoSuchExport");
        ADD_FAILURE() << "found a missing export";
    }
    catch (const CGeneralException& e)
    {
        EXPECT_EQ("Could not get ProcAddress for ZentavoNoSuchExport", e.GetDescription());
        EXPECT_EQ(HResultFromWin32(ERROR_PROC_NOT_FOUND), e.GetHResult());
    }
}

TEST(Win32Utils, WinINetWrappersPassArgumentsResultsAndErrorsThrough)
{
    const char* const url = "https://localhost:8443/api/https/sendmsg.aspx";
    char host[64] = {};
    char path[128] = {};
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof(host);
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof(path);
    ASSERT_TRUE(CWin32Utils::InternetCrackUrl(url, 0, 0, &parts));
    EXPECT_STREQ("localhost", host);
    EXPECT_STREQ("/api/https/sendmsg.aspx", path);
    EXPECT_EQ(8443, parts.nPort);
    EXPECT_EQ(INTERNET_SCHEME_HTTPS, parts.nScheme);

    CScopedInternetHandle session(
        CWin32Utils::InternetOpen("ZentavoTest", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    ASSERT_TRUE(session);
    DWORD timeout = 5000;
    EXPECT_TRUE(
        CWin32Utils::InternetSetOption(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof(timeout)));
    // Port 1 on loopback has no listener: the send fails and says why.
    CScopedInternetHandle connection(CWin32Utils::InternetConnect(session.get(), "127.0.0.1", 1, nullptr, nullptr,
                                                                  INTERNET_SERVICE_HTTP, 0, 0));
    ASSERT_TRUE(connection);
    CScopedInternetHandle request(
        CWin32Utils::HttpOpenRequest(connection.get(), "POST", "/x", nullptr, nullptr, nullptr, 0, 0));
    ASSERT_TRUE(request);
    ::SetLastError(0);
    EXPECT_FALSE(CWin32Utils::HttpSendRequest(request.get(), nullptr, 0, nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT), ::GetLastError());
    char buffer[16];
    DWORD read = 0;
    CWin32Utils::InternetReadFile(request.get(), buffer, sizeof(buffer), &read);
    EXPECT_EQ(0u, read);
    EXPECT_TRUE(CWin32Utils::InternetCloseHandle(request.release()));
}

TEST(Win32Utils, HResultToWin32Error)
{
    DWORD code = 1234;
    EXPECT_TRUE(CWin32Utils::HResultToWin32Error(static_cast<HRESULT>(0x80070005), code));
    EXPECT_EQ(5u, code);
    EXPECT_TRUE(CWin32Utils::HResultToWin32Error(S_OK, code));
    EXPECT_EQ(0u, code);
    code = 1234;
    EXPECT_FALSE(CWin32Utils::HResultToWin32Error(E_FAIL, code));
    EXPECT_FALSE(CWin32Utils::HResultToWin32Error(S_FALSE, code));
    EXPECT_FALSE(CWin32Utils::HResultToWin32Error(static_cast<HRESULT>(0x00070005), code));
    EXPECT_EQ(1234u, code);
}

TEST(Win32Utils, EnvironmentValuesOfEveryLength)
{
    for (size_t length : {1u, 49u, 50u, 51u, 5000u})
    {
        const std::string value(length, 'v');
        ::SetEnvironmentVariableA("ZENTAVO_TEST_VALUE", value.c_str());
        EXPECT_EQ(value, CWin32Utils::GetEnvironmentVariable("ZENTAVO_TEST_VALUE")) << length;
    }
    ::SetEnvironmentVariableA("ZENTAVO_TEST_VALUE", nullptr);
    EXPECT_EQ("", CWin32Utils::GetEnvironmentVariable("ZENTAVO_TEST_VALUE"));
    EXPECT_EQ("", CWin32Utils::GetEnvironmentVariable(""));
}

class Win32UtilsWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Parent = ::CreateWindowExA(0, "STATIC", "parent", 0, 0, 0, 300, 200, HWND_MESSAGE, nullptr, nullptr,
                                     nullptr);
        ASSERT_NE(nullptr, m_Parent);
        m_Label = Child("STATIC", "Label", 0, 10);
        m_First = Child("EDIT", "first text", WS_TABSTOP, 11);
        m_Button = Child("BUTTON", "", 0, 12);
        m_Last = Child("EDIT", "", WS_TABSTOP, 13);
    }
    void TearDown() override { ::DestroyWindow(m_Parent); }

    HWND Child(const char* windowClass, const char* text, DWORD style, int id)
    {
        return ::CreateWindowExA(0, windowClass, text, WS_CHILD | style, 0, 0, 50, 20, m_Parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }

    HWND m_Parent = nullptr;
    HWND m_Label = nullptr;
    HWND m_First = nullptr;
    HWND m_Button = nullptr;
    HWND m_Last = nullptr;
};

TEST_F(Win32UtilsWindows, TextsOfWindowsAndDialogItems)
{
    EXPECT_EQ("first text", CWin32Utils::GetWindowText(m_First));
    EXPECT_EQ("Label", CWin32Utils::GetDlgItemText(m_Parent, 10));
    EXPECT_EQ("", CWin32Utils::GetDlgItemText(m_Parent, 13));
    const std::string longText(3000, 'x');
    ::SetWindowTextA(m_Last, longText.c_str());
    EXPECT_EQ(longText, CWin32Utils::GetDlgItemText(m_Parent, 13));
    EXPECT_EQ("", CWin32Utils::GetDlgItemText(m_Parent, 99));
}

TEST_F(Win32UtilsWindows, TabStopsForwardWrapBackwardDoesNot)
{
    ASSERT_EQ(m_Label, ::GetTopWindow(m_Parent)); // children in creation order
    EXPECT_EQ(m_Label, CWin32Utils::GetNextSiblingWrapped(m_Last));
    EXPECT_EQ(nullptr, CWin32Utils::GetPrevSibling(m_Label));

    EXPECT_EQ(m_Last, CWin32Utils::GetNextTabStopWindow(m_First));
    EXPECT_EQ(m_First, CWin32Utils::GetNextTabStopWindow(m_Last));
    EXPECT_EQ(m_Last, CWin32Utils::GetNextTabStopWindow(m_Button));
    EXPECT_EQ(m_First, CWin32Utils::GetNextTabStopWindow(m_Label));
    EXPECT_EQ(m_First, CWin32Utils::GetPrevTabStopWindow(m_Last));
    EXPECT_EQ(nullptr, CWin32Utils::GetPrevTabStopWindow(m_First));

    ::SetWindowLongA(m_Last, GWL_STYLE, ::GetWindowLongA(m_Last, GWL_STYLE) & ~WS_TABSTOP);
    EXPECT_EQ(m_First, CWin32Utils::GetNextTabStopWindow(m_First)); // the only tab stop
    ::SetWindowLongA(m_First, GWL_STYLE, ::GetWindowLongA(m_First, GWL_STYLE) & ~WS_TABSTOP);
    EXPECT_EQ(nullptr, CWin32Utils::GetNextTabStopWindow(m_First));
}

TEST(Win32Utils, NoWindowHasNoTabStop)
{
    EXPECT_EQ(nullptr, CWin32Utils::GetNextTabStopWindow(nullptr));
    EXPECT_EQ(nullptr, CWin32Utils::GetPrevTabStopWindow(nullptr));
}

class PumpingWait : public ::testing::Test
{
protected:
    void TearDown() override { DiscardThreadMessages(); }
    CTestMessageWindow m_Window;
    CScopedKernelHandle m_Event{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

TEST_F(PumpingWait, SignalledObjectsAndZeroTimeOutsNeedNoMessages)
{
    ::PostMessageA(m_Window.Handle(), WM_APP, 0, 0);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), CWin32Utils::WaitForObjectPumpingMessages(m_Event.get(), 0));
    ::SetEvent(m_Event.get());
    EXPECT_EQ(WAIT_OBJECT_0, CWin32Utils::WaitForObjectPumpingMessages(m_Event.get(), INFINITE));
    EXPECT_EQ(0, m_Window.Count(WM_APP));
    EXPECT_EQ(WAIT_FAILED, CWin32Utils::WaitForObjectPumpingMessages(nullptr, INFINITE));
}

TEST_F(PumpingWait, MessagesAreDispatchedButAQuitIsLeftForTheThreadsLoop)
{
    ::PostMessageA(m_Window.Handle(), WM_APP, 0, 0);
    ::PostQuitMessage(7);
    ::PostMessageA(m_Window.Handle(), WM_APP, 0, 0);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), CWin32Utils::WaitForObjectPumpingMessages(m_Event.get(), 300));
    EXPECT_EQ(2, m_Window.Count(WM_APP));
    MSG message = {};
    ASSERT_TRUE(::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), message.message);
    EXPECT_EQ(7u, message.wParam);
}

TEST_F(PumpingWait, PumpMessagesEmptiesTheQueueUpToAQuit)
{
    for (int i = 0; i < 3; ++i)
        ::PostMessageA(m_Window.Handle(), WM_APP, 0, 0);
    CWin32Utils::PumpMessages();
    EXPECT_EQ(3, m_Window.Count(WM_APP));
    ::PostQuitMessage(3);
    CWin32Utils::PumpMessages();
    MSG message = {};
    ASSERT_TRUE(::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), message.message);
}
} // namespace
