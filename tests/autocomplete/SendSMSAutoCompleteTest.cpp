// The Send SMS window's To field completing names from the test Outlook's
// contact folder and the test MAPI's address-book container.
#include "addin/OutlookVersionCapabilites.h"
#include "tests/contacts/TestMAPI.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"
#include "tests/ui/SendSMSWindowFixture.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <iterator>
#include <memory>
#include <utility>

namespace
{
const char kContainer[] = "ab01";

CFakeContactRow Contact(const wchar_t* given, const wchar_t* surname, const wchar_t* mobile, const wchar_t* id)
{
    CFakeContactRow row;
    row.m_GivenName = given;
    row.m_Surname = surname;
    row.m_FullName = std::wstring(given) + L" " + surname;
    row.m_Mobile = mobile;
    row.m_EntryId = id;
    return row;
}
} // namespace

class SendSMSAutoComplete : public SendSMSWindow
{
protected:
    void SetUp() override
    {
        SendSMSWindow::SetUp();
        ASSERT_TRUE(m_TestMAPI.IsOurs()) << "the test MAPI is not the loaded mapi32.dll";
        m_TestMAPI.Reset();
        m_TestMAPI.AddContainer(kContainer, "Global Address List", true);
        m_TestMAPI.AddEntry({kContainer, "c00001", "Carla Chen", CMAPIMailUser::kMailUser, "07700900003", "Carla",
                             "Chen", nullptr, nullptr, 0});
        m_Rows->push_back(Contact(L"Alice", L"Adams", L"07700900001", L"0001"));
        m_Rows->push_back(Contact(L"Bob", L"Stone", L"07700900002", L"0002"));
        m_Folder = m_Outlook.NewContactFolder(L"Contacts", L"00ee", m_Rows);
        m_Outlook.DefaultFolder(10)->SetProperty(L"EntryID", m_Folder->Value(L"EntryID"));
        m_Outlook.AddressLists()->Add(m_Outlook.NewAddressList(L"Contacts", L"", m_Folder));
        m_Outlook.AddressLists()->Add(m_Outlook.NewAddressList(L"Global Address List", L"ab01", nullptr));
        m_Version.Parse("16.0.0.4266");
        Plugin().SetOutlookVersionCapabilites(&m_Version);
    }

    void TearDown() override
    {
        SendSMSWindow::TearDown();
        Plugin().SetOutlookVersionCapabilites(nullptr);
    }

    HWND To() const { return Item(IDC_SENDSMS_TO); }
    CACListWnd& List() { return m_pDlg->ToEdit().List(); }

    void TypeTo(const std::string& text)
    {
        ::SetForegroundWindow(m_Window);
        m_pDlg->SetFocusToRecipients();
        for (char c : text)
            ::SendMessageA(To(), WM_CHAR, static_cast<unsigned char>(c), 1);
    }

    // Until the list shows the entry (the container's come from the worker).
    bool WaitForEntry(const std::string& entry)
    {
        const DWORD start = ::GetTickCount();
        for (;;)
        {
            const auto& items = List().GetItems();
            if (List().IsListVisible() && std::find(items.begin(), items.end(), entry) != items.end())
                return true;
            if (::GetTickCount() - start > 10000)
                return false;
            Pump(20);
        }
    }

    CTestMAPI m_TestMAPI;
    std::shared_ptr<std::vector<CFakeContactRow>> m_Rows = std::make_shared<std::vector<CFakeContactRow>>();
    CFakeObjectPtr m_Folder;
    COutlookVersionCapabilites m_Version;
};

TEST_F(SendSMSAutoComplete, TypingPartOfANameAndChoosingFillsTheToField)
{
    Open();
    TypeTo("Bob Stone [07700900002]; ali");
    ASSERT_TRUE(WaitForEntry("Alice Adams [07700900001]"));
    ::SendMessageA(To(), WM_KEYDOWN, VK_DOWN, 1);
    ::SendMessageA(To(), WM_CHAR, VK_RETURN, 1);
    EXPECT_EQ("Bob Stone [07700900002]; Alice Adams [07700900001]; ", ItemText(IDC_SENDSMS_TO));
    EXPECT_FALSE(List().IsListVisible());

    TypeTo("car");
    ASSERT_TRUE(WaitForEntry("Carla Chen [07700900003]"));
    const std::string path = ProgramBesideTest("SendSMSAutoCompleteList.png");
    SaveWindowScreenshot(::GetDesktopWindow(), std::wstring(path.begin(), path.end()));
    ::SendMessageA(List().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, List().GetRowHeight() / 2));
    EXPECT_EQ("Bob Stone [07700900002]; Alice Adams [07700900001]; Carla Chen [07700900003]; ",
              ItemText(IDC_SENDSMS_TO));

    CSMSContactVector contacts;
    m_pDlg->GetSMSContactList(contacts);
    EXPECT_EQ(3u, contacts.size());
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

TEST_F(SendSMSAutoComplete, AClickInTheWindowOrTheFocusLeavingClosesTheList)
{
    Open();
    TypeTo("ali");
    ASSERT_TRUE(WaitForEntry("Alice Adams [07700900001]"));
    ::SendMessageA(m_Window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 200));
    EXPECT_FALSE(List().IsListVisible());
    EXPECT_EQ("ali", ItemText(IDC_SENDSMS_TO));

    ::SetDlgItemTextA(m_Window, IDC_SENDSMS_TO, "");
    TypeTo("ali");
    ASSERT_TRUE(WaitForEntry("Alice Adams [07700900001]"));
    m_pDlg->SetFocusToMessageText();
    EXPECT_FALSE(List().IsListVisible());
}

TEST_F(SendSMSAutoComplete, SwitchedOffTypingOpensNoList)
{
    Open({{"ZentavoSMSRecipientEntryEditboxAutoCompleteEnabled", "0"}});
    TypeTo("ali");
    Pump(300);
    EXPECT_FALSE(List().IsListVisible());
    EXPECT_TRUE(List().GetItems().empty());
    EXPECT_EQ(nullptr, List().GetAsyncListProvider());
    EXPECT_EQ("ali", ItemText(IDC_SENDSMS_TO));
}

TEST_F(SendSMSAutoComplete, ExcludedAddressListIsNotSearched)
{
    Open({{"ZentavoSMSAddressBookExclusionList", "Global Address List,"}});
    TypeTo("car");
    Pump(500);
    EXPECT_FALSE(List().IsListVisible());
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

struct ArrivalCase
{
    const char* name;
    bool containerFirst;
};

class SendSMSAutoCompleteArrival : public SendSMSAutoComplete, public ::testing::WithParamInterface<ArrivalCase>
{
protected:
    // Inside the folder's GetTable: until the container's first block is in
    // the list (the search's first pump may have merged it) or waits for it,
    // and past the search's pump deadline, so that the search pumps it into
    // the list before it reads the table.
    void WaitForTheContainersBlock()
    {
        const DWORD start = ::GetTickCount();
        MSG queued;
        while (List().GetItems().empty() &&
               !::PeekMessageA(&queued, List().m_hWnd, WM_AC_LISTITEMBATCH, WM_AC_LISTITEMBATCH, PM_NOREMOVE) &&
               ::GetTickCount() - start < 10000)
            ::Sleep(5);
        while (::GetTickCount() - start < 80)
            ::Sleep(5);
    }
};

TEST_P(SendSMSAutoCompleteArrival, TheListIsTheSameWhicheverSourceComesFirst)
{
    // Liz is in both sources, Zoe only in the folder, Zara only in the container.
    m_Rows->push_back(Contact(L"Zoe", L"Adams", L"07700900004", L"0004"));
    m_Rows->push_back(Contact(L"Liz", L"Chen", L"07700900005", L"0005"));
    m_TestMAPI.AddEntry({kContainer, "c00002", "Liz Chen", CMAPIMailUser::kMailUser, "07700900005", "Liz", "Chen",
                         nullptr, nullptr, 0});
    m_TestMAPI.AddEntry({kContainer, "c00003", "Zara Khan", CMAPIMailUser::kMailUser, "07700900006", "Zara", "Khan",
                         nullptr, nullptr, 0});
    if (GetParam().containerFirst)
        ChangeEachTable(*m_Folder, [this](CFakeObject&) { WaitForTheContainersBlock(); });
    Open();

    TypeTo("z");

    ASSERT_TRUE(WaitForEntry("Zara Khan [07700900006]"));
    ASSERT_TRUE(WaitForEntry("Zoe Adams [07700900004]"));
    EXPECT_EQ((std::vector<std::string>{"Liz Chen [07700900005]", "Zara Khan [07700900006]", "Zoe Adams [07700900004]"}),
              List().GetItems());
}

INSTANTIATE_TEST_SUITE_P(Cases, SendSMSAutoCompleteArrival,
                         ::testing::Values(ArrivalCase{"FolderFirst", false}, ArrivalCase{"ContainerFirst", true}),
                         [](const ::testing::TestParamInfo<ArrivalCase>& info) { return std::string(info.param.name); });

// Keys the user types while the search reads the folder are handled inside
// the search, as its pumps handle them; here they are fired from the test
// Outlook's own table reads, so that each case is the same every run.
class SendSMSAutoCompleteFastTyping : public SendSMSAutoComplete
{
public:
    enum class Interruption
    {
        kBackspaceToEmpty,
        kEscape,
        kFocusLeaving,
        kOutlookDeactivated,
    };

protected:
    void Char(char c) { ::SendMessageA(To(), WM_CHAR, static_cast<unsigned char>(c), 1); }

    // Once, inside the given read of the folder's table (0: GetTable, n: its
    // n-th block).
    void During(int read, std::function<void()> action)
    {
        auto pending = std::make_shared<std::function<void()>>(std::move(action));
        OnEachTableRead(*m_Folder, [read, pending](int at) {
            if (at == read && *pending)
                std::exchange(*pending, nullptr)();
        });
    }

    void Interrupt(Interruption what)
    {
        switch (what)
        {
        case Interruption::kBackspaceToEmpty:
            Char('\b');
            break;
        case Interruption::kEscape:
            ::SendMessageA(To(), WM_KEYDOWN, VK_ESCAPE, 1);
            break;
        case Interruption::kFocusLeaving:
            m_pDlg->SetFocusToMessageText();
            break;
        case Interruption::kOutlookDeactivated:
            ::SendMessageA(List().m_hWnd, WM_ACTIVATEAPP, FALSE, 0);
            break;
        }
    }

    // The field's text as typed, bypassing the lookup, with the caret at its end.
    void PutTo(const std::string& text)
    {
        CACEdit& edit = m_pDlg->ToEdit();
        edit.SetDisabled(true);
        ::SetWindowTextA(To(), text.c_str());
        ::SendMessageA(To(), EM_SETSEL, text.size(), text.size());
        edit.SetDisabled(false);
    }

    static bool Matches(const std::string& entry, const std::string& text)
    {
        std::string lower = entry;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return static_cast<char>(::tolower(c)); });
        return lower.find(text) != std::string::npos;
    }

    static std::vector<std::string> NotMatching(const std::vector<std::string>& entries, const std::string& text)
    {
        std::vector<std::string> others;
        std::copy_if(entries.begin(), entries.end(), std::back_inserter(others),
                     [&](const std::string& entry) { return !Matches(entry, text); });
        return others;
    }
};

struct CancelledLookupCase
{
    const char* name;
    SendSMSAutoCompleteFastTyping::Interruption interruption;
    int read;          // of the folder's table, during which it comes
    const char* left;  // the field's text after it
};

class SendSMSAutoCompleteCancelled : public SendSMSAutoCompleteFastTyping,
                                     public ::testing::WithParamInterface<CancelledLookupCase>
{
};

// The list stays hidden once the search and everything it posted are
// through, and Enter breaks the line instead of inserting an entry.
TEST_P(SendSMSAutoCompleteCancelled, ALookupCancelledDuringItsSearchNeverComesBack)
{
    Open();
    During(GetParam().read, [this] { Interrupt(GetParam().interruption); });

    TypeTo("a");
    Pump(100);

    EXPECT_FALSE(List().IsListVisible());
    Char('\r');
    EXPECT_EQ(std::string(GetParam().left) + "\r\n", ItemText(IDC_SENDSMS_TO));
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

using Interruption = SendSMSAutoCompleteFastTyping::Interruption;
INSTANTIATE_TEST_SUITE_P(
    Cases, SendSMSAutoCompleteCancelled,
    ::testing::Values(CancelledLookupCase{"BackspaceToEmpty", Interruption::kBackspaceToEmpty, 0, ""},
                      CancelledLookupCase{"BackspaceDuringTheFirstBlock", Interruption::kBackspaceToEmpty, 1, ""},
                      CancelledLookupCase{"Escape", Interruption::kEscape, 0, "a"},
                      CancelledLookupCase{"FocusLeaving", Interruption::kFocusLeaving, 0, "a"},
                      CancelledLookupCase{"OutlookDeactivated", Interruption::kOutlookDeactivated, 0, "a"}),
    [](const ::testing::TestParamInfo<CancelledLookupCase>& info) { return std::string(info.param.name); });

// 600 of "a" in front of the one "ali" in the folder's table: the list shows
// the first block of "a" when "li" and Enter come during the second.
TEST_F(SendSMSAutoCompleteFastTyping, TextTypedDuringTheSearchGetsOnlyEntriesOfItsOwn)
{
    m_Rows->clear();
    for (int index = 0; index < 600; ++index)
    {
        const std::wstring number = std::to_wstring(1000 + index);
        m_Rows->push_back(Contact(L"Aaron", L"Nash", number.c_str(), number.c_str()));
    }
    m_Rows->push_back(Contact(L"Alice", L"Smith", L"07700900009", L"0009"));
    // The first block outlasts the search's 50 ms pump deadline, so that the
    // pump after it shows the block.
    During(1, [] { ::Sleep(80); });
    bool shownBeforeEnter = false;
    std::vector<std::string> entriesBeforeEnter;
    During(2, [&] {
        Char('l');
        Char('i');
        shownBeforeEnter = List().IsListVisible();
        entriesBeforeEnter = List().GetItems();
        Char('\r');
    });
    Open();

    TypeTo("a");
    Pump(100);

    const std::string text = ItemText(IDC_SENDSMS_TO);
    EXPECT_EQ(0u, text.find("ali")) << text;
    EXPECT_EQ(std::string::npos, text.find("Aaron")) << text;
    if (shownBeforeEnter)
    {
        EXPECT_EQ(std::vector<std::string>{}, NotMatching(entriesBeforeEnter, "ali")) << "shown under \"ali\"";
    }
    if (List().IsListVisible())
    {
        EXPECT_EQ(std::vector<std::string>{}, NotMatching(List().GetItems(), "ali")) << "shown at the end";
    }
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

struct TypingCase
{
    const char* name;
    const char* before; // in the field, not looked up
    const char* typed;  // "\b" is Backspace
    bool shown;
    std::vector<std::string> entries; // when shown
};

class SendSMSAutoCompleteTyping : public SendSMSAutoCompleteFastTyping,
                                  public ::testing::WithParamInterface<TypingCase>
{
};

// Keys typed one after the other, each after the search of the one before.
TEST_P(SendSMSAutoCompleteTyping, EndsWithTheListOfTheLastText)
{
    m_Rows->push_back(Contact(L"Alan", L"Marsh", L"07700900011", L"0011"));
    m_Rows->push_back(Contact(L"Barbara", L"Hill", L"07700900012", L"0012"));
    Open({{"ZentavoSMSAddressBookExclusionList", "Global Address List"}});
    ::SetForegroundWindow(m_Window);
    m_pDlg->SetFocusToRecipients();
    PutTo(GetParam().before);

    for (const char c : std::string(GetParam().typed))
    {
        Char(c);
        Pump(20);
    }

    ASSERT_EQ(GetParam().shown, List().IsListVisible());
    if (GetParam().shown)
    {
        EXPECT_EQ(GetParam().entries, List().GetItems());
    }
    EXPECT_EQ(1u, m_Outlook.Log().CallsTo(L"MAPIFolder.GetTable").size()) << "one query per initial";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SendSMSAutoCompleteTyping,
    ::testing::Values(
        TypingCase{"OneLetter", "", "a", true,
                   {"Alan Marsh [07700900011]", "Alice Adams [07700900001]", "Barbara Hill [07700900012]"}},
        TypingCase{"TwoLetters", "", "al", true, {"Alan Marsh [07700900011]", "Alice Adams [07700900001]"}},
        TypingCase{"TwoLettersCold", "b", "a", true, {"Barbara Hill [07700900012]"}},
        TypingCase{"CachedAfterBackspace", "", "a\ba", true,
                   {"Alan Marsh [07700900011]", "Alice Adams [07700900001]", "Barbara Hill [07700900012]"}},
        TypingCase{"BackspaceAfterTheSearch", "", "a\b", false, {}}),
    [](const ::testing::TestParamInfo<TypingCase>& info) { return std::string(info.param.name); });

// The list shows the entries of "a" when the field changes in a way that
// starts a search of Outlook (no other initial is cached); a choice made
// while that search reads the folder takes none of them.
struct ChangeDuringListCase
{
    const char* name;
    bool byClick;              // on the list's first row, else Enter
    const char* before;        // in the field before "a" is typed
    DWORD selection[2];
    void (*change)(HWND to);
    const char* changed;       // the field's text after the change
    size_t caret;
};

class SendSMSAutoCompleteChangeDuringList : public SendSMSAutoCompleteFastTyping,
                                            public ::testing::WithParamInterface<ChangeDuringListCase>
{
};

TEST_P(SendSMSAutoCompleteChangeDuringList, AChoiceTakesOnlyAnEntryOfTheTextTyped)
{
    const ChangeDuringListCase& c = GetParam();
    // The folder alone: no batch of the container clears the list first.
    Open({{"ZentavoSMSAddressBookExclusionList", "Global Address List"}});
    ::SetForegroundWindow(m_Window);
    m_pDlg->SetFocusToRecipients();
    PutTo(c.before);
    TypeTo("a");
    ASSERT_TRUE(WaitForEntry("Alice Adams [07700900001]"));
    During(0, [this, &c] {
        if (c.byClick)
            ::SendMessageA(List().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, List().GetRowHeight() / 2));
        else
            Char('\r');
    });

    ::SendMessageA(To(), EM_SETSEL, c.selection[0], c.selection[1]);
    c.change(To());
    Pump(100);

    const std::string changed = c.changed;
    EXPECT_EQ(c.byClick ? changed : changed.substr(0, c.caret) + "\r\n" + changed.substr(c.caret),
              ItemText(IDC_SENDSMS_TO));
    EXPECT_FALSE(List().IsListVisible());
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

namespace
{
const char kBob[] = "Bob Stone [07700900002]; ";
void TypeZ(HWND to) { ::SendMessageA(to, WM_CHAR, 'z', 1); }
// What the edit's own paste does with the clipboard's text.
void PasteZo(HWND to) { ::SendMessageA(to, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("zo")); }
void Delete(HWND to) { ::SendMessageA(to, WM_KEYDOWN, VK_DELETE, 1); }
void TypeX(HWND to) { ::SendMessageA(to, WM_CHAR, 'x', 1); }
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Cases, SendSMSAutoCompleteChangeDuringList,
    ::testing::Values(
        ChangeDuringListCase{"TypedOverTheSelectionThenEnter", false, "", {0, 1}, TypeZ, "z", 1},
        ChangeDuringListCase{"TypedOverTheSelectionThenAClick", true, "", {0, 1}, TypeZ, "z", 1},
        ChangeDuringListCase{"PastedOverTheSelectionThenEnter", false, "", {0, 1}, PasteZo, "zo", 2},
        ChangeDuringListCase{"PastedOverTheSelectionThenAClick", true, "", {0, 1}, PasteZo, "zo", 2},
        ChangeDuringListCase{"DeleteAtATokensStartThenEnter", false, kBob, {0, 0}, Delete, "ob Stone [07700900002]; a", 0},
        ChangeDuringListCase{"DeleteAtATokensStartThenAClick", true, kBob, {0, 0}, Delete, "ob Stone [07700900002]; a", 0},
        ChangeDuringListCase{"TypedIntoAnotherRecipientThenEnter", false, kBob, {3, 3}, TypeX,
                             "Bobx Stone [07700900002]; a", 4},
        ChangeDuringListCase{"TypedIntoAnotherRecipientThenAClick", true, kBob, {3, 3}, TypeX,
                             "Bobx Stone [07700900002]; a", 4}),
    [](const ::testing::TestParamInfo<ChangeDuringListCase>& info) { return std::string(info.param.name); });

// Bob is in the field and "z" typed after him; while the list waits for the
// entries of "z" (hidden: never shown yet, or its entries of "a" hidden at the
// search's first pump), the caret goes into Bob's number. The entries come
// after that, from the folder's search or from the worker's container read:
// the list stays closed, and Enter breaks the line where the caret is.
struct HiddenListCase
{
    const char* name;
    bool fromTheWorker;   // the entries of "z", else from the folder
    bool oldEntriesShown; // of "a", typed over by "z"
    bool byClick;         // the caret goes into the number, else Left keys
};

class SendSMSAutoCompleteHiddenList : public SendSMSAutoCompleteFastTyping,
                                      public ::testing::WithParamInterface<HiddenListCase>
{
protected:
    // Until the test MAPI's journal has the worker's restriction to the text
    // (held: it has the job and waits in its read), or its read.
    bool WaitForTheWorker(const std::string& text, bool read)
    {
        const std::string line = ":\"" + text + "\", 0x0)\n" + (read ? "QueryRows(" : "");
        for (const DWORD start = ::GetTickCount(); m_TestMAPI.Journal().find(line) == std::string::npos;)
        {
            if (::GetTickCount() - start > 10000)
                return false;
            if (read)
                Pump(10);
            else
                ::Sleep(5);
        }
        return true;
    }
};

TEST_P(SendSMSAutoCompleteHiddenList, TheListNeverOpensOverAnotherRecipient)
{
    const HiddenListCase& c = GetParam();
    if (c.fromTheWorker)
        m_TestMAPI.AddEntry({kContainer, "c00003", "Zara Khan", CMAPIMailUser::kMailUser, "07700900006", "Zara",
                             "Khan", nullptr, nullptr, 0});
    else
        m_Rows->push_back(Contact(L"Zoe", L"Adams", L"07700900004", L"0004"));
    Open();
    ::SetForegroundWindow(m_Window);
    m_pDlg->SetFocusToRecipients();
    PutTo(kBob);
    if (c.oldEntriesShown)
    {
        TypeTo("a");
        ASSERT_TRUE(WaitForEntry("Alice Adams [07700900001]"));
        ASSERT_TRUE(WaitForTheWorker("a", true));
        ::SendMessageA(To(), EM_SETSEL, 25, 26);
    }
    // Between "077009" and "00002".
    const int intoTheNumber = 17;
    // The worker's read of "z" waits for the caret's move.
    CScopedMAPIHold hold(m_TestMAPI, "QueryRows");
    bool hiddenBefore = false;
    bool workerHeld = !c.fromTheWorker;
    During(0, [&] {
        if (c.fromTheWorker)
            workerHeld = WaitForTheWorker("z", false);
        hiddenBefore = !List().IsListVisible();
        if (c.byClick)
        {
            const LRESULT position = ::SendMessageA(To(), EM_POSFROMCHAR, intoTheNumber, 0);
            const LPARAM point = MAKELPARAM(LOWORD(position) + 1, HIWORD(position) + 4);
            ::SendMessageA(To(), WM_LBUTTONDOWN, MK_LBUTTON, point);
            ::SendMessageA(To(), WM_LBUTTONUP, 0, point);
        }
        else
        {
            for (int at = 26; at > intoTheNumber; --at)
                ::SendMessageA(To(), WM_KEYDOWN, VK_LEFT, 1);
        }
        hold.Release();
    });

    Char('z');
    ASSERT_TRUE(workerHeld);
    if (c.fromTheWorker)
    {
        ASSERT_TRUE(WaitForTheWorker("z", true));
    }
    Pump(200);

    EXPECT_TRUE(hiddenBefore);
    EXPECT_FALSE(List().IsListVisible());
    Char('\r');
    EXPECT_EQ("Bob Stone [077009\r\n00002]; z", ItemText(IDC_SENDSMS_TO));
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SendSMSAutoCompleteHiddenList,
    ::testing::Values(HiddenListCase{"FromTheFolderByKeys", false, false, false},
                      HiddenListCase{"FromTheFolderByAClick", false, false, true},
                      HiddenListCase{"FromTheWorkerByKeys", true, false, false},
                      HiddenListCase{"FromTheWorkerByAClick", true, false, true},
                      HiddenListCase{"OldEntriesHiddenFromTheFolderByKeys", false, true, false},
                      HiddenListCase{"OldEntriesHiddenFromTheWorkerByAClick", true, true, true}),
    [](const ::testing::TestParamInfo<HiddenListCase>& info) { return std::string(info.param.name); });

// The user's Contacts folder cannot be read (an offline store) beside a
// readable Work folder. Each name typed tells it once, in a box the Send SMS
// window owns, which takes the focus while it is up (as every box does) and
// gives it back to the field; the name goes on: Work's matches are listed
// after the box and the next keystrokes of that name are answered from what
// Work gave. The next name reads Contacts again, and finds it once it reads.
TEST_F(SendSMSAutoCompleteFastTyping, AFolderThatCannotBeReadIsToldOncePerName)
{
    const auto workRows = std::make_shared<std::vector<CFakeContactRow>>();
    workRows->push_back(Contact(L"Alice", L"Work", L"07700900021", L"0021"));
    workRows->push_back(Contact(L"Amy", L"Work", L"07700900022", L"0022"));
    const CFakeObjectPtr work = m_Outlook.NewContactFolder(L"Work", L"00ef", workRows);
    m_Outlook.AddressLists()->Add(m_Outlook.NewAddressList(L"Work", L"", work));
    m_Folder->Fail(L"GetTable", E_ACCESSDENIED, L"The store is offline.");
    Open({{"ZentavoSMSAddressBookExclusionList", "Global Address List"}});
    ::SetForegroundWindow(m_Window);
    m_pDlg->SetFocusToRecipients();
    const auto tables = [this] {
        return m_Outlook.Log().CallsTo(L"MAPIFolder.GetTable").size();
    };

    struct Step
    {
        const char* typed;
        bool recovered; // Contacts reads again before the step
        size_t boxes;
        size_t tables;
        std::vector<std::string> entries;
    };
    const Step steps[] = {
        {"a", false, 1, 2, {"Alice Work [07700900021]", "Amy Work [07700900022]"}},
        {"lice", false, 1, 2, {"Alice Work [07700900021]"}},
        {"; a", false, 2, 4, {"Alice Work [07700900021]", "Amy Work [07700900022]"}},
        {"my", false, 2, 4, {"Amy Work [07700900022]"}},
        {"; b", true, 2, 6, {"Bob Stone [07700900002]"}},
        {"; a", true, 2, 8, {"Alice Adams [07700900001]", "Alice Work [07700900021]", "Amy Work [07700900022]"}},
    };
    std::string typed;
    for (const Step& step : steps)
    {
        SCOPED_TRACE(step.typed);
        if (step.recovered)
            m_Folder->ClearFailure(L"GetTable");
        for (const char c : std::string(step.typed))
        {
            Char(c);
            Pump(20);
        }
        typed += step.typed;
        EXPECT_EQ(step.boxes, m_Boxes.Boxes().size());
        EXPECT_EQ(step.tables, tables());
        EXPECT_TRUE(List().IsListVisible());
        EXPECT_EQ(step.entries, List().GetItems());
        EXPECT_EQ(typed, ItemText(IDC_SENDSMS_TO));
        EXPECT_EQ(To(), ::GetFocus());
    }
    for (const CapturedMessageBox& box : m_Boxes.Boxes())
    {
        EXPECT_EQ(m_Window, box.owner);
        EXPECT_NE(std::string::npos, box.text.find("Contacts (The store is offline., -2147024891)")) << box.text;
    }
}
