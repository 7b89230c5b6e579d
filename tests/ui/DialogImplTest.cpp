// The dialog mechanics on real dialogs of this thread: binding, the message
// table's results by the dialog-procedure rules, modal runs answered by the
// window driver, and the end of a self-deleting window.
#include "platform/DialogImpl.h"

#include "tests/support/DialogTemplate.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace
{
constexpr int kNameEdit = 100;
constexpr int kCountButton = 101;
constexpr int kListId = 102;
constexpr UINT kDouble = WM_APP + 1;
constexpr UINT kDeclined = WM_APP + 2;
constexpr UINT kUnlisted = WM_APP + 3;
constexpr UINT kMixIn = WM_APP + 4;
constexpr UINT kThrow = WM_APP + 5;
constexpr INT_PTR kEndResult = 42;

CDialogTemplate TestTemplate()
{
    CDialogTemplate dialog("Mechanics");
    dialog.AddEdit(kNameEdit, 10, 10, 120, 14)
        .AddButton(kCountButton, "Count", 10, 30, 50, 14)
        .AddButton(IDOK, "OK", 70, 30, 50, 14, true);
    return dialog;
}

// What the dialog saw, kept outside it so that it can be read after the end.
struct CRecord
{
    std::vector<std::string> events;
    int clicks = 0;
    int notifications = 0;
    std::vector<std::string> exceptions;
};

thread_local CRecord* t_pHookRecord = nullptr;

void RecordException(const char* handlerName) noexcept
{
    if (t_pHookRecord)
        t_pHookRecord->exceptions.push_back(handlerName);
}

// A mix-in that takes one message and declines every other.
class CAnswerMixIn
{
public:
    LRESULT ProcessMixInMessage(UINT message, WPARAM, LPARAM, bool& handled)
    {
        handled = message == kMixIn;
        return handled ? 5 : 0;
    }
};

class CTestDlg : public CDialogImpl<CTestDlg>, public CAnswerMixIn
{
public:
    explicit CTestDlg(CRecord& record) : CDialogImpl(::GetModuleHandleA(nullptr)), m_Record(record) {}

    static CMessageTable<CTestDlg> GetMessageTable()
    {
        using Entry = CMessageEntry<CTestDlg>;
        static const Entry entries[] = {
            Entry::Message(WM_SETFONT, &CTestDlg::OnSetFont, "CTestDlg::OnSetFont"),
            Entry::Message(WM_INITDIALOG, &CTestDlg::OnInitDialog, "CTestDlg::OnInitDialog"),
            Entry::Message(kDouble, &CTestDlg::OnDouble, "CTestDlg::OnDouble"),
            Entry::Message(kDeclined, &CTestDlg::OnDeclined, "CTestDlg::OnDeclined"),
            Entry::Message(kThrow, &CTestDlg::OnThrow, "CTestDlg::OnThrow"),
            Entry::Message(WM_CTLCOLORSTATIC, &CTestDlg::OnCtlColorStatic, "CTestDlg::OnCtlColorStatic"),
            Entry::Command(kCountButton, &CTestDlg::OnCount, "CTestDlg::OnCount", BN_CLICKED),
            Entry::Command(IDOK, &CTestDlg::OnOK, "CTestDlg::OnOK"),
            Entry::Notify(kListId, NM_CLICK, &CTestDlg::OnListClick, "CTestDlg::OnListClick"),
            Entry::Chain(&CAnswerMixIn::ProcessMixInMessage, "CAnswerMixIn::ProcessMixInMessage"),
        };
        return entries;
    }

private:
    LRESULT OnSetFont(UINT, WPARAM, LPARAM, bool& handled)
    {
        m_Record.events.push_back("WM_SETFONT");
        handled = false;
        return 0;
    }
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&)
    {
        m_Record.events.push_back("WM_INITDIALOG");
        ::SetDlgItemTextA(m_hWnd, kNameEdit, "from init");
        return TRUE;
    }
    LRESULT OnDouble(UINT, WPARAM wParam, LPARAM, bool&) { return static_cast<LRESULT>(wParam) * 2; }
    LRESULT OnDeclined(UINT, WPARAM, LPARAM, bool& handled)
    {
        handled = false;
        return 77;
    }
    LRESULT OnThrow(UINT, WPARAM, LPARAM, bool&) { throw std::runtime_error("handler failed"); }
    LRESULT OnCtlColorStatic(UINT, WPARAM, LPARAM, bool&)
    {
        return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    }
    LRESULT OnCount(UINT, WPARAM, LPARAM, bool&)
    {
        ++m_Record.clicks;
        return 0;
    }
    LRESULT OnOK(UINT, WPARAM, LPARAM, bool&)
    {
        m_Record.events.push_back("IDOK");
        EndDialog(kEndResult);
        return 0;
    }
    LRESULT OnListClick(UINT, WPARAM, LPARAM, bool&)
    {
        ++m_Record.notifications;
        return 0;
    }

    CRecord& m_Record;
};

struct CModelessTestDlg
{
    CModelessTestDlg() : dialog(record)
    {
        CDialogTemplate dialogTemplate = TestTemplate();
        window = dialog.CreateIndirect(dialogTemplate.Get());
    }
    ~CModelessTestDlg()
    {
        if (::IsWindow(window))
            ::DestroyWindow(window);
    }

    CRecord record;
    CTestDlg dialog;
    HWND window = nullptr;
};

TEST(DialogImpl, ModalRunBindsBeforeInitAndEndsWithTheHandlersResult)
{
    CRecord record;
    CTestDlg dialog(record);
    CDialogTemplate dialogTemplate = TestTemplate();
    CWindowDriver driver;
    driver.Expect().Caption("Mechanics").Press(IDOK);

    EXPECT_EQ(kEndResult, dialog.DoModalIndirect(dialogTemplate.Get()));

    EXPECT_EQ("", driver.Problems());
    EXPECT_EQ((std::vector<std::string>{"WM_SETFONT", "WM_INITDIALOG", "IDOK"}), record.events);
    ASSERT_EQ(1u, driver.Seen().size());
    ASSERT_NE(nullptr, driver.Seen()[0].Control(kNameEdit));
    EXPECT_EQ("from init", driver.Seen()[0].Control(kNameEdit)->text);
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST(DialogImpl, ModelessDialogBindsBeforeInit)
{
    CModelessTestDlg modeless;

    ASSERT_NE(nullptr, modeless.window);
    EXPECT_EQ(modeless.window, modeless.dialog.m_hWnd);
    EXPECT_EQ((std::vector<std::string>{"WM_SETFONT", "WM_INITDIALOG"}), modeless.record.events);
    EXPECT_EQ("from init", CWindow(modeless.dialog.GetDlgItem(kNameEdit)).GetText());
}

TEST(DialogImpl, ResultsFollowTheDialogProcedureRules)
{
    const struct
    {
        const char* what;
        UINT message;
        WPARAM wParam;
        LRESULT expected;
    } cases[] = {
        {"handled, through DWLP_MSGRESULT", kDouble, 21, 42},
        {"declined by its handler", kDeclined, 0, 0},
        {"in no line", kUnlisted, 0, 0},
        {"taken by the chained mix-in", kMixIn, 0, 5},
        {"colour brush, returned directly", WM_CTLCOLORSTATIC, 0,
         reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH))},
    };
    CModelessTestDlg modeless;
    ASSERT_NE(nullptr, modeless.window);
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, ::SendMessageA(modeless.window, c.message, c.wParam, 0)) << c.what;
}

TEST(DialogImpl, CommandAndNotifyLinesMatchControlAndCode)
{
    CModelessTestDlg modeless;
    ASSERT_NE(nullptr, modeless.window);

    ::SendMessageA(modeless.window, WM_COMMAND, MAKEWPARAM(kCountButton, BN_CLICKED), 0);
    ::SendMessageA(modeless.window, WM_COMMAND, MAKEWPARAM(kCountButton, BN_DOUBLECLICKED), 0);
    NMHDR click = {nullptr, kListId, static_cast<UINT>(NM_CLICK)};
    NMHDR otherCode = {nullptr, kListId, static_cast<UINT>(NM_DBLCLK)};
    NMHDR otherControl = {nullptr, kListId + 1, static_cast<UINT>(NM_CLICK)};
    for (NMHDR* header : {&click, &otherCode, &otherControl})
        ::SendMessageA(modeless.window, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));

    EXPECT_EQ(1, modeless.record.clicks);
    EXPECT_EQ(1, modeless.record.notifications);
}

TEST(DialogImpl, EscapedExceptionGoesToTheHookAndTheMessageCountsAsHandled)
{
    CModelessTestDlg modeless;
    ASSERT_NE(nullptr, modeless.window);
    t_pHookRecord = &modeless.record;
    modeless.dialog.SetHandlerExceptionHook(&RecordException);

    EXPECT_EQ(0, ::SendMessageA(modeless.window, kThrow, 0, 0));

    t_pHookRecord = nullptr;
    EXPECT_EQ(std::vector<std::string>{"CTestDlg::OnThrow"}, modeless.record.exceptions);
    EXPECT_TRUE(::IsWindow(modeless.window));
}

TEST(DialogImpl, ExceptionWithoutAHookIsDropped)
{
    CModelessTestDlg modeless;
    ASSERT_NE(nullptr, modeless.window);

    EXPECT_EQ(0, ::SendMessageA(modeless.window, kThrow, 0, 0));
    EXPECT_TRUE(::IsWindow(modeless.window));
}

TEST(DialogImpl, ObjectThatGoesFirstClosesItsModelessWindow)
{
    HWND window = nullptr;
    {
        CModelessTestDlg modeless;
        window = modeless.window;
        modeless.window = nullptr;
        ASSERT_TRUE(::IsWindow(window));
    }
    EXPECT_FALSE(::IsWindow(window));
}

// What a self-deleting window saw of its own end.
struct CEndRecord
{
    int deletions = 0;
    int deletionsWhenDestroyed = -1;
    int deletionsWhenOuterReturned = -1;
    bool outerSawItsMembers = false;
};

constexpr UINT kDestroyNow = WM_APP + 10;
constexpr UINT kDestroyNested = WM_APP + 11;
constexpr int kAliveMark = 0x5A5A;

class CSelfDeletingDlg : public CDialogImpl<CSelfDeletingDlg>
{
public:
    explicit CSelfDeletingDlg(CEndRecord& record) : CDialogImpl(::GetModuleHandleA(nullptr)), m_Record(record) {}
    ~CSelfDeletingDlg() override
    {
        ++m_Record.deletions;
        m_Alive = 0;
    }

    static CMessageTable<CSelfDeletingDlg> GetMessageTable()
    {
        using Entry = CMessageEntry<CSelfDeletingDlg>;
        static const Entry entries[] = {
            Entry::Message(kDestroyNow, &CSelfDeletingDlg::OnDestroyNow, "CSelfDeletingDlg::OnDestroyNow"),
            Entry::Message(kDestroyNested, &CSelfDeletingDlg::OnDestroyNested, "CSelfDeletingDlg::OnDestroyNested"),
        };
        return entries;
    }

protected:
    void OnFinalMessage(HWND) noexcept override { delete this; }

private:
    LRESULT OnDestroyNow(UINT, WPARAM, LPARAM, bool&)
    {
        DestroyWindow();
        m_Record.deletionsWhenDestroyed = m_Record.deletions;
        return 0;
    }
    LRESULT OnDestroyNested(UINT, WPARAM, LPARAM, bool&)
    {
        ::SendMessageA(m_hWnd, kDestroyNow, 0, 0);
        m_Record.outerSawItsMembers = m_Alive == kAliveMark;
        m_Record.deletionsWhenOuterReturned = m_Record.deletions;
        return 0;
    }

    CEndRecord& m_Record;
    int m_Alive = kAliveMark;
};

TEST(DialogImpl, SelfDeletingWindowIsDeletedOnceAfterItsOutermostHandler)
{
    const struct
    {
        const char* what;
        UINT message;  // 0: destroyed from outside
        int deletionsWhenDestroyed;
        int deletionsWhenOuterReturned;
    } cases[] = {
        {"from outside", 0, -1, -1},
        {"in a handler", kDestroyNow, 0, -1},
        {"in a nested handler", kDestroyNested, 0, 0},
    };
    CDialogTemplate dialogTemplate = TestTemplate();
    for (const auto& c : cases)
    {
        CEndRecord record;
        auto* dialog = new CSelfDeletingDlg(record);
        const HWND window = dialog->CreateIndirect(dialogTemplate.Get());
        ASSERT_NE(nullptr, window) << c.what;

        if (c.message)
            ::SendMessageA(window, c.message, 0, 0);
        else
            ::DestroyWindow(window);

        EXPECT_FALSE(::IsWindow(window)) << c.what;
        EXPECT_EQ(1, record.deletions) << c.what;
        EXPECT_EQ(c.deletionsWhenDestroyed, record.deletionsWhenDestroyed) << c.what;
        EXPECT_EQ(c.deletionsWhenOuterReturned, record.deletionsWhenOuterReturned) << c.what;
        EXPECT_EQ(c.message == kDestroyNested, record.outerSawItsMembers) << c.what;
    }
}
}
