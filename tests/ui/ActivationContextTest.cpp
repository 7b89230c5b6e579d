// Dialogs run inside their module's manifest context: the window tests'
// executable carries the add-in's manifest as resource 2, as the DLL does.
#include "platform/ActivationContext.h"

#include "platform/DialogImpl.h"
#include "tests/support/DialogTemplate.h"

#include <gtest/gtest.h>

namespace
{
bool ContextActive()
{
    HANDLE context = nullptr;
    if (!::GetCurrentActCtx(&context) || !context)
        return false;
    ::ReleaseActCtx(context);
    return true;
}

class CContextDlg : public CDialogImpl<CContextDlg>
{
public:
    CContextDlg() : CDialogImpl(::GetModuleHandleA(nullptr)) {}

    static CMessageTable<CContextDlg> GetMessageTable()
    {
        using Entry = CMessageEntry<CContextDlg>;
        static const Entry entries[] = {
            Entry::Message(WM_INITDIALOG, &CContextDlg::OnInitDialog, "CContextDlg::OnInitDialog"),
        };
        return entries;
    }

    bool m_ActiveInInit = false;

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&)
    {
        m_ActiveInInit = ContextActive();
        return TRUE;
    }
};
} // namespace

TEST(ModuleActivationScope, ActivatesTheManifestOfAModuleThatHasOne)
{
    ASSERT_FALSE(ContextActive());
    {
        const CModuleActivationScope scope(::GetModuleHandleA(nullptr));
        EXPECT_TRUE(scope.IsActive());
        EXPECT_TRUE(ContextActive());
    }
    EXPECT_FALSE(ContextActive());
}

TEST(ModuleActivationScope, LeavesTheContextAloneForAModuleWithoutManifest)
{
    const HMODULE gdi = ::GetModuleHandleA("gdi32.dll");
    ASSERT_EQ(nullptr, ::FindResourceA(gdi, MAKEINTRESOURCEA(2), MAKEINTRESOURCEA(24)));
    const CModuleActivationScope scope(gdi);
    EXPECT_FALSE(scope.IsActive());
    EXPECT_FALSE(ContextActive());
}

TEST(ModuleActivationScope, DialogsAreCreatedInsideIt)
{
    CDialogTemplate dialogTemplate("Context");
    CContextDlg dialog;
    ASSERT_NE(nullptr, dialog.CreateIndirect(dialogTemplate.Get()));
    EXPECT_TRUE(dialog.m_ActiveInInit);
    EXPECT_FALSE(ContextActive());
    dialog.DestroyWindow();
}
