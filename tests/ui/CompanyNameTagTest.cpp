// "{CompanyNameShort}" in a real dialog's item texts and title.
#include "addin/ZentavoSMSOutlookPlugin.h"

#include "core/Win32Utils.h"
#include "tests/support/DialogTemplate.h"
#include "tests/support/PlainDialog.h"

#include <gtest/gtest.h>

namespace
{
constexpr int kLabel = 100;

struct Case
{
    const char* text;
    const char* expected;
};
const Case kCases[] = {
    {"Log in to {CompanyNameShort}", "Log in to ZentavoSoftware"},
    {"{CompanyNameShort} and {CompanyNameShort}", "ZentavoSoftware and ZentavoSoftware"},
    {"No tag here", "No tag here"},
    {"", ""},
};
} // namespace

TEST(CompanyNameTag, ReplacedInADialogItemsText)
{
    for (const Case& c : kCases)
    {
        CDialogTemplate dialogTemplate("Tags");
        dialogTemplate.AddStatic(kLabel, c.text, 10, 10, 180, 10);
        CPlainDlg dialog;
        ASSERT_NE(nullptr, dialog.CreateIndirect(dialogTemplate.Get()));
        CZentavoSMSOutlookPlugin::ReplaceCompanyNameShortTagInDlgItemText(dialog, kLabel);
        EXPECT_EQ(c.expected, CWin32Utils::GetDlgItemText(dialog, kLabel));
        dialog.DestroyWindow();
    }
}

TEST(CompanyNameTag, ReplacedInAWindowsTitle)
{
    for (const Case& c : kCases)
    {
        CDialogTemplate dialogTemplate(c.text);
        CPlainDlg dialog;
        ASSERT_NE(nullptr, dialog.CreateIndirect(dialogTemplate.Get()));
        CZentavoSMSOutlookPlugin::ReplaceCompanyNameShortTagInWindowText(dialog);
        EXPECT_EQ(c.expected, CWin32Utils::GetWindowText(dialog));
        dialog.DestroyWindow();
    }
}
