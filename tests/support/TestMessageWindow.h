// A message-only window of the creating thread that counts the messages it
// receives, for tests of message pumping. Needs no display.
#pragma once

#include <windows.h>

#include <functional>
#include <map>

class CTestMessageWindow
{
public:
    CTestMessageWindow();
    ~CTestMessageWindow();
    CTestMessageWindow(const CTestMessageWindow&) = delete;
    CTestMessageWindow& operator=(const CTestMessageWindow&) = delete;

    HWND Handle() const { return m_Window; }
    // How many times the message has been dispatched to the window.
    int Count(UINT message) const;
    // Called for every private message (WM_USER and above) after it is
    // counted.
    void SetHandler(std::function<void(UINT message, WPARAM, LPARAM)> handler) { m_Handler = std::move(handler); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_Window;
    std::map<UINT, int> m_Counts;
    std::function<void(UINT, WPARAM, LPARAM)> m_Handler;
};

// Removes every message waiting for the calling thread without dispatching.
void DiscardThreadMessages();

// Translates and dispatches the calling thread's messages for at least the
// given time, as a message loop would.
void PumpThreadMessages(DWORD milliseconds);
