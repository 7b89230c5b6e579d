// Subclassing a dialog's edit control: the table sees the control's
// messages first, the rest reach the edit, and the subclass ends with the
// window or on request.
#include "platform/WindowSubclass.h"

#include "tests/support/DialogTemplate.h"
#include "tests/support/PlainDialog.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
constexpr int kEdit = 100;

// Lets only digits through.
class CDigitsEdit : public CWindowSubclass<CDigitsEdit>
{
public:
    static CMessageTable<CDigitsEdit> GetMessageTable()
    {
        using Entry = CMessageEntry<CDigitsEdit>;
        static const Entry entries[] = {
            Entry::Message(WM_CHAR, &CDigitsEdit::OnChar, "CDigitsEdit::OnChar"),
        };
        return entries;
    }

private:
    LRESULT OnChar(UINT, WPARAM wParam, LPARAM, bool& handled)
    {
        handled = wParam < '0' || wParam > '9';
        return 0;
    }
};

class WindowSubclass : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CDialogTemplate dialogTemplate("Subclass");
        dialogTemplate.AddEdit(kEdit, 10, 10, 80, 14);
        ASSERT_NE(nullptr, m_Dialog.CreateIndirect(dialogTemplate.Get()));
        m_EditWindow = m_Dialog.GetDlgItem(kEdit);
        m_EditProc = ::GetWindowLongPtrA(m_EditWindow, GWLP_WNDPROC);
    }

    std::string Type(const char* keys) const
    {
        for (const char* key = keys; *key; ++key)
            ::SendMessageA(m_EditWindow, WM_CHAR, static_cast<unsigned char>(*key), 1);
        return CWindow(m_EditWindow).GetText();
    }

    CPlainDlg m_Dialog;
    HWND m_EditWindow = nullptr;
    LONG_PTR m_EditProc = 0;
};

TEST_F(WindowSubclass, TableComesFirstAndTheRestReachesTheControl)
{
    CDigitsEdit edit;
    ASSERT_TRUE(edit.SubclassWindow(m_EditWindow));

    EXPECT_EQ("12", Type("1a2-"));
}

TEST_F(WindowSubclass, SecondSubclassOfTheSameWindowIsRefused)
{
    CDigitsEdit first;
    CDigitsEdit second;
    ASSERT_TRUE(first.SubclassWindow(m_EditWindow));

    EXPECT_FALSE(second.SubclassWindow(m_EditWindow));
    EXPECT_FALSE(first.SubclassWindow(m_Dialog));
}

TEST_F(WindowSubclass, UnsubclassRestoresTheControlsProcedure)
{
    CDigitsEdit edit;
    ASSERT_TRUE(edit.SubclassWindow(m_EditWindow));

    edit.UnsubclassWindow();

    EXPECT_EQ(m_EditProc, ::GetWindowLongPtrA(m_EditWindow, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, edit.m_hWnd);
    EXPECT_EQ("a1", Type("a1"));
}

TEST_F(WindowSubclass, SubclassEndsWithTheWindow)
{
    CDigitsEdit edit;
    ASSERT_TRUE(edit.SubclassWindow(m_EditWindow));

    m_Dialog.DestroyWindow();

    EXPECT_EQ(nullptr, edit.m_hWnd);
}
}
