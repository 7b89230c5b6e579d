// The drop-down list under the edit: merging the provider's batches, its
// size, scroll bar and order, the user's size, hiding, and its end.
#include "tests/autocomplete/ACEditHost.h"

#include "core/ScopedHandle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace
{
using Items = std::vector<std::string>;

Items Numbered(int count)
{
    Items items;
    for (int i = 0; i < count; ++i)
        items.push_back("Person " + std::string(1, static_cast<char>('A' + i)));
    return items;
}

RECT WindowRect(HWND window)
{
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect;
}

// Messages sent to one window of this thread: the work a step did on it.
HWND g_Watched = nullptr;
int g_WatchedMessages = 0;

LRESULT CALLBACK CountWatchedMessages(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lParam)->hwnd == g_Watched)
        ++g_WatchedMessages;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
} // namespace

class ACListWindow : public ACEditWindow
{
protected:
    // A lookup left pending, as the address-book search leaves it.
    void StartLookup() { ASSERT_EQ(1, List().LookupText(-1, "x", false)); }
    void ShowItems(const Items& items)
    {
        StartLookup();
        m_Provider.Post(items);
        Pump(20);
    }
};

TEST_F(ACListWindow, MergesKeepOnlyTheLatestLookup)
{
    struct Batch
    {
        bool current;
        bool strings;
        Items items;
    };
    struct MergeCase
    {
        const char* what;
        std::vector<Batch> batches;
        // Highlighted before the last batch arrives; -1 for none.
        int selectBeforeLast;
        Items expected;
        int selection;
        // Posted together, for the window to take in one message.
        bool queued = false;
    };
    const MergeCase cases[] = {
        {"the first batch replaces the last lookup's entries", {{true, true, {"Xena", "Yuri"}}}, -1,
         {"Xena", "Yuri"}, -1},
        {"later batches append, sorted without regard to case",
         {{true, true, {"bob", "Carl"}}, {true, true, {"alice", "Bea"}}}, -1, {"alice", "Bea", "bob", "Carl"}, -1},
        {"a first batch without entries still clears", {{true, true, {}}}, -1, {}, -1},
        {"the highlighted entry stays highlighted", {{true, true, {"Bob", "Dan"}}, {true, true, {"Al"}}}, 1,
         {"Al", "Bob", "Dan"}, 2},
        {"duplicates differing in case: the first stays", {{true, true, {"Ann"}}, {true, true, {"ann", "Bob"}}}, -1,
         {"Ann", "Bob"}, -1},
        {"duplicates within one batch", {{true, true, {"Bob", "BOB", "bob"}}}, -1, {"Bob"}, -1},
        {"no batch yet", {}, -1, {"Previous"}, -1},
        {"a batch of an older lookup is dropped", {{false, true, {"Old"}}}, -1, {"Previous"}, -1},
        {"a contact-details batch is dropped", {{true, false, {}}}, -1, {"Previous"}, -1},
        {"batches queued together merge as one by one",
         {{true, true, {"bob", "Carl"}}, {false, true, {"Old"}}, {true, false, {}}, {true, true, {"alice", "BOB"}}}, -1,
         {"alice", "bob", "Carl"}, -1, true},
    };
    for (const MergeCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        ShowItems({"Previous"});
        StartLookup();
        const std::uint32_t current = m_Provider.m_Lookups.back().requestId;
        for (size_t i = 0; i < c.batches.size(); ++i)
        {
            const Batch& batch = c.batches[i];
            if (i + 1 == c.batches.size() && c.selectBeforeLast >= 0)
                List().SetSelectionHint(c.selectBeforeLast);
            const std::uint32_t id = batch.current ? current : current - 1;
            if (batch.strings)
                m_Provider.Post(batch.items, id);
            else
                List().PostListItemBatch(new CCountedDetailsBatch(id));
            if (!c.queued)
                Pump(10);
        }
        Pump(10);
        EXPECT_EQ(c.expected, List().GetItems());
        EXPECT_EQ(c.selection, List().GetSelection());
        // Entries of the lookup before are taken off the screen.
        const bool ownEntries = c.expected != Items{"Previous"};
        EXPECT_EQ(!c.expected.empty() && ownEntries, List().IsListVisible());
        EXPECT_EQ(ownEntries, List().HasCurrentEntries());
        EXPECT_EQ(0, CCountedBatch::s_Alive);
    }
}

TEST_F(ACListWindow, ImmediateBatchIsMerged)
{
    m_Provider.m_Immediate["x"] = {"Bob", "al"};
    StartLookup();
    EXPECT_EQ((Items{"al", "Bob"}), List().GetItems());
    EXPECT_TRUE(List().IsListVisible());
    EXPECT_EQ(0, CCountedBatch::s_Alive);
}

TEST_F(ACListWindow, HeightAndScrollBarFollowTheEntries)
{
    struct SizeCase
    {
        int entries;
        int rows;
        bool scrollBar;
    };
    const SizeCase cases[] = {{1, 1, false}, {8, 8, false}, {9, 8, true}, {40, 8, true}};
    const RECT edit = WindowRect(Edit());
    for (const SizeCase& c : cases)
    {
        SCOPED_TRACE(c.entries);
        ShowItems(Numbered(c.entries));
        const RECT list = WindowRect(List().m_hWnd);
        EXPECT_EQ(c.rows * List().GetRowHeight() + 2 * ::GetSystemMetrics(SM_CYBORDER), list.bottom - list.top);
        EXPECT_EQ(c.rows, List().GetVisibleRows());
        EXPECT_EQ(edit.left, list.left);
        EXPECT_EQ(edit.bottom, list.top);
        EXPECT_EQ(edit.right - edit.left, list.right - list.left);
        EXPECT_EQ(c.scrollBar, (::GetWindowLongA(List().GetScrollBar(), GWL_STYLE) & WS_VISIBLE) != 0);
    }
}

TEST_F(ACListWindow, ScrollBarMovesTheRows)
{
    ShowItems(Numbered(20));
    struct ScrollStep
    {
        WPARAM code;
        int top;
    };
    const ScrollStep steps[] = {{SB_LINEDOWN, 1},  {SB_PAGEDOWN, 9},           {SB_PAGEDOWN, 12}, {SB_LINEDOWN, 12},
                                {SB_LINEUP, 11},   {MAKEWPARAM(SB_THUMBTRACK, 3), 3}, {SB_PAGEUP, 0},   {SB_LINEUP, 0}};
    for (const ScrollStep& step : steps)
    {
        SCOPED_TRACE(step.code);
        ::SendMessageA(List().m_hWnd, WM_VSCROLL, step.code, 0);
        EXPECT_EQ(step.top, List().GetTopIndex());
        EXPECT_EQ(step.top, ::GetScrollPos(List().GetScrollBar(), SB_CTL));
    }
}

// A whole address book in the list: the thumb reaches rows past 32,767.
TEST_F(ACListWindow, TheThumbReachesRowsOfALongList)
{
    Items items;
    for (int i = 0; i < 50000; ++i)
        items.push_back("Person " + std::to_string(100000 + i));
    ShowItems(items);
    ::SendMessageA(List().m_hWnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 40000), 0);
    EXPECT_EQ(40000, List().GetTopIndex());
}

TEST_F(ACListWindow, KeysWrapAndScrollTheHighlightIntoView)
{
    ShowItems(Numbered(20));
    struct KeyStep
    {
        UINT key;
        int selection;
        int top;
    };
    const KeyStep steps[] = {{VK_UP, 19, 12}, {VK_DOWN, 0, 0}, {VK_NEXT, 8, 1}, {VK_END, 19, 12}, {VK_PRIOR, 11, 11},
                             {VK_HOME, 0, 0}};
    for (const KeyStep& step : steps)
    {
        SCOPED_TRACE(step.key);
        List().SelectByKey(step.key);
        EXPECT_EQ(step.selection, List().GetSelection());
        EXPECT_EQ(step.top, List().GetTopIndex());
    }
}

// A whole address book under one letter: each key is one jump of the rows
// (a few messages to the scroll bar), however far it goes.
TEST_F(ACListWindow, KeysOverALongListJumpAtOnce)
{
    const CScopedHook hook(::SetWindowsHookExA(WH_CALLWNDPROC, &CountWatchedMessages, nullptr, ::GetCurrentThreadId()));
    g_Watched = List().GetScrollBar();
    Items items;
    for (int i = 0; i < 40000; ++i)
        items.push_back("Person " + std::to_string(100000 + i));
    Type("x");
    m_Provider.Post(items);
    Pump(20);
    ASSERT_TRUE(List().IsListVisible());
    Key(VK_DOWN);
    const int last = 39999;
    const int lastTop = last - List().GetVisibleRows() + 1;
    struct KeyStep
    {
        UINT key;
        int selection;
        int top;
    };
    const KeyStep steps[] = {{VK_UP, last, lastTop}, {VK_DOWN, 0, 0}, {VK_END, last, lastTop}, {VK_HOME, 0, 0},
                             {VK_UP, last, lastTop}, {VK_PRIOR, lastTop - 1, lastTop - 1}};
    for (const KeyStep& step : steps)
    {
        SCOPED_TRACE(step.key);
        g_WatchedMessages = 0;
        const DWORD start = ::GetTickCount();
        Key(step.key);
        EXPECT_LT(::GetTickCount() - start, 1000u);
        EXPECT_LE(g_WatchedMessages, 10);
        EXPECT_EQ(step.selection, List().GetSelection());
        EXPECT_EQ(step.top, List().GetTopIndex());
        EXPECT_EQ(step.top, ::GetScrollPos(List().GetScrollBar(), SB_CTL));
    }
    EXPECT_EQ("x", Text());
}

// However short or long the list, a key moves the highlight into view in
// one step: none holds the thread while the rows slide (a wrap in 20
// entries took a quarter of a second).
TEST_F(ACListWindow, NoKeyHoldsTheThreadWhateverTheListsLength)
{
    for (const int count : {1, 20, 50, 51})
    {
        SCOPED_TRACE(count);
        Items items;
        for (int i = 0; i < count; ++i)
            items.push_back("Person " + std::to_string(100 + i));
        Type("\bx");
        m_Provider.Post(items);
        Pump(20);
        ASSERT_TRUE(List().IsListVisible());
        const int last = count - 1;
        const int rows = List().GetVisibleRows();
        const int pageDown = std::min(last, rows);
        // From no highlight: a wrap each way, both ends, a page each way.
        const std::pair<UINT, int> steps[] = {{VK_UP, last},         {VK_DOWN, 0}, {VK_END, last},
                                              {VK_HOME, 0},          {VK_UP, last}, {VK_HOME, 0},
                                              {VK_NEXT, pageDown},   {VK_PRIOR, 0}};
        for (const auto& [key, selection] : steps)
        {
            SCOPED_TRACE(key);
            const DWORD start = ::GetTickCount();
            Key(key);
            EXPECT_LT(::GetTickCount() - start, 100u);
            EXPECT_EQ(selection, List().GetSelection());
            EXPECT_LE(List().GetTopIndex(), selection);
            EXPECT_LT(selection, List().GetTopIndex() + rows);
            EXPECT_EQ(List().GetTopIndex(), ::GetScrollPos(List().GetScrollBar(), SB_CTL));
        }
    }
}

// The size grip's drag starts on the grip and ends (here at once, by the
// Enter key the sizing loop reads) with the new size, which the list keeps;
// a click below its rows does nothing.
TEST_F(ACListWindow, TheUserSizeByTheGripIsKept)
{
    ShowItems(Numbered(3));
    const RECT before = WindowRect(List().m_hWnd);
    const LPARAM grip = MAKELPARAM(before.right - 2, before.bottom - 2);
    EXPECT_EQ(HTBOTTOMRIGHT, ::SendMessageA(List().m_hWnd, WM_NCHITTEST, 0, grip));
    EXPECT_EQ(HTCLIENT, ::SendMessageA(List().m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(before.left + 5, before.top + 5)));
    ::PostMessageA(List().m_hWnd, WM_KEYDOWN, VK_RETURN, 1);
    ::SendMessageA(List().m_hWnd, WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, grip);
    Pump(20);
    ::SetWindowPos(List().m_hWnd, nullptr, 0, 0, 300, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageA(List().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 140));
    EXPECT_TRUE(List().IsListVisible());
    EXPECT_EQ("", Text());

    ShowItems(Numbered(12));
    const RECT after = WindowRect(List().m_hWnd);
    EXPECT_EQ(300, after.right - after.left);
    EXPECT_EQ(150, after.bottom - after.top);
}

TEST_F(ACListWindow, HiddenBy)
{
    const auto send = [this](UINT message, WPARAM wParam, LPARAM lParam) {
        return [=] { ::SendMessageA(List().m_hWnd, message, wParam, lParam); };
    };
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"right click", send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 5))},
        {"Escape", send(WM_KEYDOWN, VK_ESCAPE, 1)},
        {"another application", send(WM_ACTIVATEAPP, FALSE, 0)},
        {"a click outside", send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-20, -20))},
        // Seen by the list's timer.
        {"moving the dialog",
         [this] { ::SetWindowPos(m_Window, nullptr, 80, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); }},
    };
    for (const auto& [what, hide] : cases)
    {
        SCOPED_TRACE(what);
        ShowItems(Numbered(3));
        List().SelectByKey(VK_DOWN);
        const int cancels = m_Provider.m_Cancels;
        hide();
        for (const DWORD start = ::GetTickCount(); List().IsListVisible() && ::GetTickCount() - start < 2000;)
            Pump(10);
        EXPECT_FALSE(List().IsListVisible());
        EXPECT_EQ(cancels + 1, m_Provider.m_Cancels);
        EXPECT_EQ(-1, List().GetSelection());
    }
}

TEST_F(ACListWindow, TheEndDeletesQueuedBatchesAndLooksNothingUp)
{
    StartLookup();
    for (int i = 0; i < 3; ++i)
        m_Provider.Post({"Queued"});
    ASSERT_EQ(3, CCountedBatch::s_Alive);
    List().DestroyWindow();
    EXPECT_EQ(0, CCountedBatch::s_Alive);
    EXPECT_EQ(1, m_Provider.m_Stops);
    EXPECT_EQ(-1, List().LookupText(-1, "x", false));
    EXPECT_EQ(1u, m_Provider.m_Lookups.size());
}

TEST_F(ACListWindow, WithoutProviderNothingIsLookedUp)
{
    m_Host.m_Edit.SetAsyncListProvider(nullptr);
    EXPECT_EQ(-1, List().LookupText(-1, "x", false));
    EXPECT_TRUE(m_Provider.m_Lookups.empty());
}
