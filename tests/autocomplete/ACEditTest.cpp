// The auto-complete edit in a window: what typing looks up, what the keys
// and the mouse do to the list and the text, and the edit's end.
#include "tests/autocomplete/ACEditHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace
{
const std::vector<std::string> kPeople = {"Ann [3]", "Alice [2]", "Amy [4]"};

DWORD Caret(HWND edit)
{
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return end;
}
} // namespace

TEST_F(ACEditWindow, TypingLooksUpTheTokenAtTheCaret)
{
    Type("Bob [1]; al");
    // The semicolon leaves an empty token, which is not looked up.
    const std::vector<std::string> expected = {"B", "Bo", "Bob", "Bob ", "Bob [", "Bob [1", "Bob [1]", " ", " a",
                                               " al"};
    EXPECT_EQ(expected, Lookups());
    EXPECT_EQ(-1, m_Provider.m_Lookups.back().callerValue);
    EXPECT_EQ(std::make_pair(WPARAM(1024), LPARAM(211)), m_Host.m_Notifications.back());
    // The list is hidden: Enter breaks the line.
    Type("\rCarl [3]\ram");
    EXPECT_EQ("am", Lookups().back());
}

TEST_F(ACEditWindow, EmptyTokenHidesTheListAndCancels)
{
    m_Provider.m_Immediate["B"] = {"Bob [1]"};
    Type("B");
    ASSERT_TRUE(List().IsListVisible());
    Type(";");
    EXPECT_FALSE(List().IsListVisible());
    EXPECT_EQ(1u, m_Provider.m_Lookups.size());
}

TEST_F(ACEditWindow, NavigationKeysMoveTheHighlightOnly)
{
    m_Provider.m_Immediate["a"] = kPeople;
    Type("a");
    ASSERT_TRUE(List().IsListVisible());

    struct Step
    {
        UINT key;
        int selection;
    };
    const Step steps[] = {{VK_DOWN, 0}, {VK_DOWN, 1}, {VK_END, 2}, {VK_DOWN, 0}, {VK_UP, 2}, {VK_HOME, 0},
                          {VK_NEXT, 2}, {VK_PRIOR, 0}};
    for (const Step& step : steps)
    {
        SCOPED_TRACE(step.key);
        Key(step.key);
        EXPECT_EQ(step.selection, List().GetSelection());
        EXPECT_EQ("a", Text());
    }
    EXPECT_EQ(1u, m_Provider.m_Lookups.size());
}

TEST_F(ACEditWindow, KeysAndEnterReachTheEditWhileTheListIsHidden)
{
    Type("Bob");
    Key(VK_HOME);
    EXPECT_EQ(0u, Caret(Edit()));
    EXPECT_FALSE(List().IsListVisible());
    Type("\r");
    EXPECT_EQ("\r\nBob", Text());
}

TEST_F(ACEditWindow, EnterInsertsTheHighlightedEntry)
{
    m_Provider.m_Immediate[" a"] = kPeople;
    Type("Bob [1]; a");
    Key(VK_DOWN);
    Key(VK_DOWN);
    const size_t lookups = m_Provider.m_Lookups.size();
    Type("\r");
    EXPECT_EQ("Bob [1]; Amy [4]; ", Text());
    EXPECT_EQ(Text().size(), Caret(Edit()));
    EXPECT_FALSE(List().IsListVisible());
    // The edit's own write starts no lookup.
    EXPECT_EQ(lookups, m_Provider.m_Lookups.size());
    EXPECT_EQ(std::make_pair(WPARAM(256), LPARAM(211)), m_Host.m_Notifications.back());
}

TEST_F(ACEditWindow, ClickInsertsTheEntry)
{
    m_Provider.m_Immediate[" a"] = kPeople;
    Type("Bob [1]; a");
    const size_t lookups = m_Provider.m_Lookups.size();
    ::SendMessageA(List().m_hWnd, WM_MOUSEMOVE, 0, RowPoint(2));
    EXPECT_EQ(2, List().GetSelection());
    ::SendMessageA(List().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(2));
    EXPECT_EQ("Bob [1]; Ann [3]; ", Text());
    EXPECT_FALSE(List().IsListVisible());
    EXPECT_EQ(lookups, m_Provider.m_Lookups.size());
}

struct CaretMoveCase
{
    const char* name;
    std::vector<UINT> keys;  // first
    int clickAt;             // then a click on this character; -1 none
    DWORD selection[2];      // then this selection, unless empty
    bool chooseByClick;      // on the list's first row, else Enter
    const char* text;
    const char* typed = "Bob [1]; al";  // the lookup of its last letter opens the list
    // The keys, click and selection come inside that lookup, as its
    // search's pump dispatches them.
    bool duringTheLookup = false;
    // They come while the lookup waits for its entries, the list hidden;
    // the entries follow them.
    bool beforeTheEntries = false;
};

class ACEditCaretMoves : public ACEditWindow, public ::testing::WithParamInterface<CaretMoveCase>
{
protected:
    void ClickAtCharacter(int index)
    {
        const LRESULT position = ::SendMessageA(Edit(), EM_POSFROMCHAR, index, 0);
        const LPARAM point = MAKELPARAM(LOWORD(position) + 1, HIWORD(position) + 4);
        ::SendMessageA(Edit(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        ::SendMessageA(Edit(), WM_LBUTTONUP, 0, point);
    }
};

// The list is open for the last " al": a choice replaces that token (or a
// selection within it, entry 0 when none is highlighted) while the caret
// stays in it, its ends included, and nothing once the caret has left, for
// another recipient or the same text elsewhere: Enter then breaks the line
// as in a plain edit.
TEST_P(ACEditCaretMoves, TheListActsOnlyOnTheTokenItWasOpenedFor)
{
    const CaretMoveCase& c = GetParam();
    if (!c.beforeTheEntries)
        m_Provider.m_Immediate[" al"] = kPeople;
    const auto move = [this, &c] {
        for (const UINT key : c.keys)
            Key(key);
        if (c.clickAt >= 0)
            ClickAtCharacter(c.clickAt);
        if (c.selection[0] != c.selection[1])
            ::SendMessageA(Edit(), EM_SETSEL, c.selection[0], c.selection[1]);
    };
    const std::string typed = c.typed;
    Type(typed.substr(0, typed.size() - 1));
    bool moved = false;
    if (c.duringTheLookup)
        m_Provider.m_DuringFetch = [&] {
            if (!std::exchange(moved, true))
                move();
        };
    Type(typed.substr(typed.size() - 1));
    m_Provider.m_DuringFetch = nullptr;
    ASSERT_EQ(c.duringTheLookup, moved);
    if (c.beforeTheEntries)
    {
        ASSERT_FALSE(List().IsListVisible());
        move();
        m_Provider.Post(kPeople);
        Pump(20);
        // Shown only where a choice would go.
        EXPECT_EQ(std::string(c.text).find("Alice") != std::string::npos, List().IsListVisible());
    }
    else if (!c.duringTheLookup)
    {
        ASSERT_TRUE(List().IsListVisible());
        move();
    }
    if (c.chooseByClick)
        ::SendMessageA(List().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(0));
    else
        Type("\r");
    EXPECT_EQ(c.text, Text());
    EXPECT_FALSE(List().IsListVisible());
}

const std::vector<UINT> kIntoBob = {VK_LEFT, VK_LEFT, VK_LEFT, VK_LEFT};
INSTANTIATE_TEST_SUITE_P(
    Cases, ACEditCaretMoves,
    ::testing::Values(
        CaretMoveCase{"LeftWithinTheTokenThenEnter", {VK_LEFT}, -1, {}, false, "Bob [1]; Alice [2]; "},
        CaretMoveCase{"LeftToTheTokensStartThenAClick", {VK_LEFT, VK_LEFT, VK_LEFT}, -1, {}, true, "Bob [1]; Alice [2]; "},
        CaretMoveCase{"ClickWithinTheTokenThenAClick", {}, 10, {}, true, "Bob [1]; Alice [2]; "},
        CaretMoveCase{"SelectionWithinTheTokenThenEnter", {}, -1, {9, 11}, false, "Bob [1];  Alice [2]; "},
        CaretMoveCase{"LeftIntoBobThenEnter", kIntoBob, -1, {}, false, "Bob [1]\r\n; al"},
        CaretMoveCase{"LeftIntoBobThenAClick", kIntoBob, -1, {}, true, "Bob [1]; al"},
        CaretMoveCase{"ClickIntoBobThenEnter", {}, 2, {}, false, "Bo\r\nb [1]; al"},
        CaretMoveCase{"ClickIntoBobThenAClick", {}, 2, {}, true, "Bob [1]; al"},
        CaretMoveCase{"SelectionOverBobThenEnter", {}, -1, {0, 3}, false, "\r\n [1]; al"},
        CaretMoveCase{"SelectionAcrossTheTokensStartThenAClick", {}, -1, {6, 10}, true, "Bob [1]; al"},
        CaretMoveCase{"LeftToTheStartBesideTheSameTextThenEnter", {VK_LEFT, VK_LEFT, VK_LEFT}, -1, {}, false,
                      "Bob [1]; al; Alice [2]; ", "Bob [1]; al; al"},
        CaretMoveCase{"LeftIntoTheSameTextElsewhereThenEnter", {VK_LEFT, VK_LEFT, VK_LEFT, VK_LEFT}, -1, {}, false,
                      "Bob [1]; al\r\n; al", "Bob [1]; al; al"},
        CaretMoveCase{"ClickIntoTheSameTextElsewhereThenAClick", {}, 10, {}, true, "Bob [1]; al; al",
                      "Bob [1]; al; al"},
        CaretMoveCase{"LeftWithinTheTokenDuringTheLookupThenEnter", {VK_LEFT}, -1, {}, false, "Bob [1]; Alice [2]; ",
                      "Bob [1]; al", true},
        CaretMoveCase{"LeftIntoBobDuringTheLookupThenEnter", kIntoBob, -1, {}, false, "Bob [1]\r\n; al", "Bob [1]; al",
                      true},
        CaretMoveCase{"ClickIntoBobDuringTheLookupThenAClick", {}, 2, {}, true, "Bob [1]; al", "Bob [1]; al", true},
        CaretMoveCase{"LeftWithinTheTokenBeforeTheEntriesThenEnter", {VK_LEFT}, -1, {}, false, "Bob [1]; Alice [2]; ",
                      "Bob [1]; al", false, true},
        CaretMoveCase{"LeftIntoBobBeforeTheEntriesThenEnter", kIntoBob, -1, {}, false, "Bob [1]\r\n; al",
                      "Bob [1]; al", false, true},
        CaretMoveCase{"ClickIntoBobBeforeTheEntriesThenAClick", {}, 2, {}, true, "Bob [1]; al", "Bob [1]; al", false,
                      true},
        CaretMoveCase{"SelectionOverBobBeforeTheEntriesThenEnter", {}, -1, {0, 3}, false, "\r\n [1]; al",
                      "Bob [1]; al", false, true}),
    [](const ::testing::TestParamInfo<CaretMoveCase>& info) { return std::string(info.param.name); });

// The owner rewrites the field (a multi-line edit tells nothing of it):
// the list's entries belong to a text that is gone.
TEST_F(ACEditWindow, TextRewrittenByTheOwnerIsNotReplaced)
{
    m_Provider.m_Immediate[" al"] = kPeople;
    Type("Bob [1]; al");
    ::SetWindowTextA(Edit(), "Carl [3]; al");
    ::SendMessageA(Edit(), EM_SETSEL, 12, 12);
    Type("\r");
    EXPECT_EQ("Carl [3]; al\r\n", Text());
}

// Keys handled inside a lookup, as a search's pumps dispatch them, while
// the list still shows the entries of the text before.
TEST_F(ACEditWindow, AChoiceDuringALookupTakesNothingOfTheTextBefore)
{
    const std::pair<const char*, std::function<void()>> choices[] = {
        {"Enter", [this] { Type("\r"); }},
        {"Down, Enter",
         [this] {
             Key(VK_DOWN);
             Type("\r");
         }},
        {"a click", [this] { ::SendMessageA(List().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(0)); }},
    };
    for (const auto& [what, choose] : choices)
    {
        SCOPED_TRACE(what);
        ::SetWindowTextA(Edit(), "");
        m_Provider.m_Immediate["a"] = kPeople;
        Type("a");
        ASSERT_TRUE(List().IsListVisible());
        ::SendMessageA(Edit(), EM_SETSEL, 0, 1);
        bool chosen = false;
        m_Provider.m_DuringFetch = [&] {
            if (!std::exchange(chosen, true))
                choose();
        };
        Type("z");
        m_Provider.m_DuringFetch = nullptr;
        EXPECT_EQ(0u, Text().find('z')) << Text();
        EXPECT_EQ(std::string::npos, Text().find('[')) << Text();
        Pump(20);
        EXPECT_FALSE(List().IsListVisible());
    }
}

// The edit goes on with the name typed (the provider then tells a folder it
// cannot read once for it) until a choice, Escape, an empty token or the
// caret leaving the token ends it, which it tells the provider by a cancel.
TEST_F(ACEditWindow, ALookupGoesOnWithTheNameUntilTheNameEnds)
{
    struct NameCase
    {
        const char* what;
        std::function<void()> between;
        bool sameName;
    };
    const NameCase cases[] = {
        {"nothing", [] {}, true},
        {"Backspace", [this] { Type("\b"); }, true},
        {"Left within the token", [this] { Key(VK_LEFT); }, true},
        {"Escape", [this] { Key(VK_ESCAPE); }, false},
        {"a separator", [this] { Type(","); }, false},
        {"a choice",
         [this] {
             Key(VK_DOWN);
             Type("\r");
         },
         false},
        {"Left into Bob",
         [this] {
             for (int i = 0; i < 4; ++i)
                 Key(VK_LEFT);
         },
         false},
    };
    m_Provider.m_Immediate[" al"] = kPeople;
    for (const NameCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        ::SetWindowTextA(Edit(), "Bob [1]; ");
        ::SendMessageA(Edit(), EM_SETSEL, 9, 9);
        m_Provider.m_Lookups.clear();
        Type("al");
        c.between();
        Type("i");
        ASSERT_LE(3u, m_Provider.m_Lookups.size());
        const int cancelsInTheName = m_Provider.m_Lookups[0].cancelsBefore;
        EXPECT_EQ(cancelsInTheName, m_Provider.m_Lookups[1].cancelsBefore);
        EXPECT_EQ(c.sameName, m_Provider.m_Lookups.back().cancelsBefore == cancelsInTheName) << Lookups().back();
        Key(VK_ESCAPE);
    }
}

TEST_F(ACEditWindow, EscapeHidesAndCancelsButKeepsTheText)
{
    Type("al");
    m_Provider.Post(kPeople);
    Pump(20);
    ASSERT_TRUE(List().IsListVisible());
    const int cancels = m_Provider.m_Cancels;
    Key(VK_ESCAPE);
    EXPECT_FALSE(List().IsListVisible());
    EXPECT_EQ(cancels + 1, m_Provider.m_Cancels);
    EXPECT_EQ("al", Text());
}

TEST_F(ACEditWindow, NothingAfterDestroy)
{
    Type("al");
    const size_t notifications = m_Host.m_Notifications.size();
    ::DestroyWindow(m_Window);
    EXPECT_EQ(1, m_Provider.m_Stops);
    m_Host.m_Edit.OnUpdate();
    m_Host.m_Edit.CloseList();
    EXPECT_EQ(2u, m_Provider.m_Lookups.size());
    EXPECT_EQ(notifications, m_Host.m_Notifications.size());
}

TEST_F(ACEditWindow, SearchThatClosesTheWindowShowsNothing)
{
    m_Provider.m_Immediate["a"] = kPeople;
    m_Provider.m_DuringFetch = [this] { ::DestroyWindow(m_Window); };
    ::SetWindowTextA(Edit(), "a");
    m_Host.m_Edit.OnUpdate();
    EXPECT_FALSE(List().IsListVisible());
    EXPECT_TRUE(List().GetItems().empty());
    EXPECT_EQ(0, CCountedBatch::s_Alive);
}

TEST_F(ACEditWindow, SwitchedOffTypingLooksNothingUp)
{
    m_Provider.m_Immediate["a"] = kPeople;
    m_Host.m_Edit.SetDisabled(true);
    Type("a");
    Key(VK_DOWN);
    EXPECT_TRUE(m_Provider.m_Lookups.empty());
    EXPECT_FALSE(List().IsListVisible());
    EXPECT_TRUE(m_Host.m_Notifications.empty());
    EXPECT_EQ("a", Text());
}

TEST_F(ACEditWindow, AnotherControlClassGetsNoList)
{
    const HWND button = ::CreateWindowExA(0, "BUTTON", "x", WS_CHILD | WS_VISIBLE, 10, 60, 40, 20, m_Window,
                                          reinterpret_cast<HMENU>(300), ::GetModuleHandleA(nullptr), nullptr);
    CACEdit other;
    ASSERT_TRUE(other.SubclassWindow(button));
    other.SetMode(CACEdit::kModeSeparators);
    other.SetAsyncListProvider(&m_Provider);
    other.OnUpdate();
    EXPECT_EQ(CACEdit::kKindUnknown, other.GetKind());
    EXPECT_EQ(nullptr, other.List().m_hWnd);
    EXPECT_TRUE(m_Provider.m_Lookups.empty());
}

TEST(ACEditMode, ShowAllAloneMeansWholeTextToo)
{
    CACEdit edit;
    edit.SetMode(CACEdit::kModeShowAllOnKey);
    EXPECT_EQ(CACEdit::kModeShowAllOnKey | CACEdit::kModeWholeText, edit.GetMode());
    edit.SetMode(CACEdit::kModeSeparators);
    EXPECT_EQ(CACEdit::kModeSeparators, edit.GetMode());
}
