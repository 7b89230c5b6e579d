// The Send SMS window's To field as the user types: an auto-complete edit
// with its list over the address-book provider, with 50,000 contacts in the
// test Outlook's contact folder and in the test MAPI's container. How long a
// keystroke waits until the list shows entries and until the folder's search
// has ended, and how long a message posted to the user-interface thread
// waits meanwhile.
#include "bench/Bench.h"
#include "bench/BenchAddressBook.h"

#include "contacts/MAPIMailUser_AsyncListProvider.h"
#include "core/ScopedHandle.h"
#include "tests/autocomplete/ACHostDlg.h"
#include "tests/support/TestMessageWindow.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
// When the list last appeared, seen by a hook on the thread's messages.
HWND g_List = nullptr;
bool g_Shown = false;
CMark g_ShownAt = {};

LRESULT CALLBACK WatchShowWindow(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->hwnd == g_List && message->message == WM_SHOWWINDOW && message->wParam &&
        !g_Shown)
    {
        g_Shown = true;
        g_ShownAt = CMark::Now();
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

struct CKeystroke
{
    // Until the list shows entries.
    CSpan m_Shown;
    // Until the keystroke's handling returns: the folder's search has ended.
    CSpan m_Handled;
};

// A list that never shows ends the benchmark with an error.
CKeystroke TypeAndWaitForList(HWND edit, CACListWnd& list, char letter)
{
    g_List = list.m_hWnd;
    g_Shown = false;
    const CMark start = CMark::Now();
    ::SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(letter), 1);
    CKeystroke keystroke;
    keystroke.m_Handled = Between(start, CMark::Now());
    while (!g_Shown && Milliseconds(start.m_At, Now()) < 60000)
        PumpThreadMessages(5);
    if (!g_Shown)
        throw std::runtime_error(std::string("the list did not show within 60 s of typing '") + letter + "'");
    keystroke.m_Shown = Between(start, g_ShownAt);
    return keystroke;
}

// Typed, timed, and told at once.
void TypeStep(CBenchContext& context, const std::string& step, HWND edit, CACListWnd& list, char letter,
              std::vector<CKeystroke>& keystrokes)
{
    context.Doing(step);
    keystrokes.push_back(TypeAndWaitForList(edit, list, letter));
    context.Done("list shown " + Ms(keystrokes.back().m_Shown) + ", keystroke handled " +
                 Ms(keystrokes.back().m_Handled));
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
        std::vector<CKeystroke> oneCold, twoAfterOne, twoCold;
        CSpan longestWait;
        for (long long run = 0; run < runs; ++run)
        {
            context.Doing(RunStep(run, runs, "opening the edit"));
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
            CSpan wait;
            probes.SetHandler([&wait](UINT message, WPARAM wParam, LPARAM lParam) {
                if (message == kProbe)
                    wait = Longest(wait, ProbeWait(wParam, lParam));
            });
            {
                CProbePoster poster(probes.Handle());
                PumpThreadMessages(20);
                wait = CSpan();
                // "s", then "a" once the first list was dismissed.
                TypeStep(context, RunStep(run, runs, "\"s\", cold"), edit.m_hWnd, edit.List(), 's', oneCold);
                PumpThreadMessages(200);
                ::SendMessageA(edit.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
                TypeStep(context, RunStep(run, runs, "\"a\" after \"s\""), edit.m_hWnd, edit.List(), 'a',
                         twoAfterOne);
                PumpThreadMessages(200);
                // "ma" with nothing searched for "m" before.
                TypeSilently(edit, "m");
                TypeStep(context, RunStep(run, runs, "\"a\" after \"m\", cold"), edit.m_hWnd, edit.List(), 'a',
                         twoCold);
                PumpThreadMessages(200);
                context.Doing(RunStep(run, runs, "closing"));
            }
            longestWait = Longest(longestWait, wait);
            provider.Stop();
            ::DestroyWindow(host.m_hWnd);
            PumpThreadMessages(20);
        }
        if (oneCold.empty())
            return;
        const auto shown = [](const std::vector<CKeystroke>& keystrokes) {
            std::vector<CSpan> spans;
            for (const CKeystroke& keystroke : keystrokes)
                spans.push_back(keystroke.m_Shown);
            return Median(spans);
        };
        const auto handled = [](const std::vector<CKeystroke>& keystrokes) {
            std::vector<CSpan> spans;
            for (const CKeystroke& keystroke : keystrokes)
                spans.push_back(keystroke.m_Handled);
            return Median(spans);
        };
        ReportSpan(context, "one letter, cold, list shown" + size, shown(oneCold), "target <= 100 ms");
        ReportSpan(context, "one letter, cold, folder's search ended" + size, handled(oneCold),
                   "the list merging the container's blocks in the search's pumps");
        ReportSpan(context, "two letters after one, list shown" + size, shown(twoAfterOne), "target <= 100 ms");
        ReportSpan(context, "two letters, cold, list shown" + size, shown(twoCold), "target <= 100 ms");
        ReportSpan(context, "longest wait of a posted message while typing", longestWait,
                   "target <= 66 ms; the search pumps on a 50 ms deadline");
    });
}

const CBenchRegistration g_AutoCompleteList("autocomplete", &AutoCompleteList);
} // namespace
