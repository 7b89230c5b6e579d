// The property-sheet layer with pages of its own, on one of the add-in's
// page templates from the test executable.
#include "platform/PropertySheet.h"

#include "resources/resource.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <deque>

namespace
{
// Answers each apply with the next queued result (then PSNRET_NOERROR).
class CCountingPage : public CPropertyPageImpl<CCountingPage>
{
public:
    enum
    {
        IDD = IDD_SETTINGS_SIGNATURE
    };

    CCountingPage() : CPropertyPageImpl(::GetModuleHandleA(nullptr)) {}

    static CMessageTable<CCountingPage> GetMessageTable()
    {
        using Entry = CMessageEntry<CCountingPage>;
        static const Entry entries[] = {
            Entry::Message(WM_INITDIALOG, &CCountingPage::OnInitDialog, "CCountingPage::OnInitDialog"),
            Entry::Notify(kAnyControl, PSN_APPLY, &CCountingPage::OnApply, "CCountingPage::OnApply"),
        };
        return entries;
    }

    int m_Inits = 0;
    int m_Applies = 0;
    std::deque<LRESULT> m_Answers;

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&)
    {
        ++m_Inits;
        return TRUE;
    }
    LRESULT OnApply(UINT, WPARAM, LPARAM, bool&)
    {
        ++m_Applies;
        if (m_Answers.empty())
            return PSNRET_NOERROR;
        const LRESULT answer = m_Answers.front();
        m_Answers.pop_front();
        return answer;
    }
};

struct SheetCase
{
    const char* name;
    std::deque<LRESULT> answers;
    std::vector<int> buttons;  // pressed in turn
    INT_PTR result;
    int applies;
};

TEST(PropertySheetLayer, ApplyAnswersDecideWhetherOKCloses)
{
    const SheetCase cases[] = {
        {"OK", {}, {PSBTN_OK}, 1, 1},
        {"refused apply keeps the sheet open", {PSNRET_INVALID}, {PSBTN_OK, PSBTN_OK}, 1, 2},
        {"Cancel applies nothing", {}, {PSBTN_CANCEL}, 0, 0},
    };
    for (const SheetCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        CCountingPage first;
        CCountingPage unvisited;
        first.m_Answers = c.answers;
        CPropertySheet sheet(::GetModuleHandleA(nullptr), "Sheet", PSH_NOAPPLYNOW);
        sheet.AddPage(first);
        sheet.AddPage(unvisited);
        CWindowDriver driver;
        driver.Expect().Caption("Sheet").Run([&c](HWND window) {
            for (int button : c.buttons)
                ::PostMessageA(window, PSM_PRESSBUTTON, button, 0);
        });
        EXPECT_EQ(c.result, sheet.DoModal(nullptr));
        EXPECT_EQ("", driver.Problems());
        EXPECT_EQ(1, first.m_Inits);
        EXPECT_EQ(c.applies, first.m_Applies);
        EXPECT_EQ(0, unvisited.m_Inits);
        EXPECT_EQ(0, unvisited.m_Applies);
        EXPECT_EQ(nullptr, first.m_hWnd);
    }
}
} // namespace
