// The Send SMS window's To field as the user types: an auto-complete edit
// with its list over the address-book provider, with 50,000 contacts in the
// test Outlook's contact folder and in the test MAPI's container. How long a
// keystroke waits until the list shows entries, and how long a message
// posted to the user-interface thread waits meanwhile.
#include "bench/Bench.h"
#include "bench/BenchAddressBook.h"

#include "contacts/MAPIMailUser_AsyncListProvider.h"
#include "core/ScopedHandle.h"
#include "tests/autocomplete/ACHostDlg.h"
#include "tests/support/TestMessageWindow.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
// When the list last appeared, seen by a hook on the thread's messages.
HWND g_List = nullptr;
bool g_Shown = false;
LARGE_INTEGER g_ShownAt = {};

LRESULT CALLBACK WatchShowWindow(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->hwnd == g_List && message->message == WM_SHOWWINDOW && message->wParam &&
        !g_Shown)
    {
        g_Shown = true;
        g_ShownAt = Now();
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Milliseconds from the keystroke until the list shows entries.
double TypeAndWaitForList(HWND edit, CACListWnd& list, char letter)
{
    g_List = list.m_hWnd;
    g_Shown = false;
    const LARGE_INTEGER start = Now();
    ::SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(letter), 1);
    while (!g_Shown && Milliseconds(start, Now()) < 60000)
        PumpThreadMessages(5);
    return g_Shown ? Milliseconds(start, g_ShownAt) : 60000;
}

// The list hidden and the field holding the letter, without a lookup.
void TypeSilently(CACEdit& edit, const std::string& text)
{
    edit.List().HideList();
    edit.SetDisabled(true);
    ::SetWindowTextA(edit.m_hWnd, text.c_str());
    ::SendMessageA(edit.m_hWnd, EM_SETSEL, text.size(), text.size());
    edit.SetDisabled(false);
}

void AutoCompleteList(CBenchContext& context)
{
    RunOverFilledAddressBook(context, [&](CAddressBook& book, long long runs, const std::string& size) {
        const CScopedHook hook(::SetWindowsHookExA(WH_CALLWNDPROC, &WatchShowWindow, nullptr, ::GetCurrentThreadId()));
        std::vector<double> oneCold, twoAfterOne, twoCold;
        double longestWait = 0;
        for (long long run = 0; run < runs; ++run)
        {
            CMAPIMailUser_AsyncListProvider provider;
            provider.Initialise(book.m_Outlook.Application(), 16);
            CACHostDlg host;
            if (!OpenACHost(host, &provider))
            {
                context.Skip("the edit's window cannot be opened here");
                break;
            }
            CACEdit& edit = host.m_Edit;
            PumpThreadMessages(50);
            CTestMessageWindow probes;
            double wait = 0;
            probes.SetHandler([&wait](UINT message, WPARAM, LPARAM lParam) {
                if (message == kProbe)
                    wait = std::max(wait, ProbeWaitMs(lParam));
            });
            {
                CProbePoster poster(probes.Handle());
                PumpThreadMessages(20);
                wait = 0;
                // "s", then "a" once the first list was dismissed.
                oneCold.push_back(TypeAndWaitForList(edit.m_hWnd, edit.List(), 's'));
                PumpThreadMessages(200);
                ::SendMessageA(edit.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
                twoAfterOne.push_back(TypeAndWaitForList(edit.m_hWnd, edit.List(), 'a'));
                PumpThreadMessages(200);
                // "ma" with nothing searched for "m" before.
                TypeSilently(edit, "m");
                twoCold.push_back(TypeAndWaitForList(edit.m_hWnd, edit.List(), 'a'));
                PumpThreadMessages(200);
            }
            longestWait = std::max(longestWait, wait);
            provider.Stop();
            ::DestroyWindow(host.m_hWnd);
            PumpThreadMessages(20);
        }
        if (oneCold.empty())
            return;
        context.Report("one letter, cold, list shown" + size, Median(oneCold), "ms", "target <= 100 ms");
        context.Report("two letters after one, list shown" + size, Median(twoAfterOne), "ms", "target <= 100 ms");
        context.Report("two letters, cold, list shown" + size, Median(twoCold), "ms", "target <= 100 ms");
        context.Report("longest wait of a posted message while typing", longestWait, "ms",
                       "target <= 66 ms; the search pumps on a 50 ms deadline");
    });
}

const CBenchRegistration g_AutoCompleteList("autocomplete", &AutoCompleteList);
} // namespace
