// The product's dialog base: a handler's escaped exception in the error box
// under its qualified name, and the module lock of open modeless windows.
#include "ui/ZentavoAxDialogImpl.h"

#include "core/Exceptions.h"
#include "tests/support/DialogTemplate.h"
#include "tests/support/EventCapture.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace
{
constexpr int kNameEdit = 100;
constexpr UINT kThrowGeneral = WM_APP + 1;
constexpr UINT kThrowStandard = WM_APP + 2;
constexpr UINT kThrowOther = WM_APP + 3;

CDialogTemplate TestTemplate()
{
    CDialogTemplate dialog("Product base");
    dialog.AddEdit(kNameEdit, 10, 10, 120, 14).AddButton(IDOK, "OK", 10, 30, 50, 14, true);
    return dialog;
}

struct CRecord
{
    bool throwInInit = false;
    LONG lockCountInInit = -1;
    int deletions = 0;
};

class CThrowingDlg : public CZentavoAxDialogImpl<CThrowingDlg>
{
public:
    explicit CThrowingDlg(CRecord& record, bool deleteAtEnd = false) : m_Record(record), m_DeleteAtEnd(deleteAtEnd) {}
    ~CThrowingDlg() override { ++m_Record.deletions; }

    static CMessageTable<CThrowingDlg> GetMessageTable()
    {
        using Entry = CMessageEntry<CThrowingDlg>;
        static const Entry entries[] = {
            Entry::Message(WM_INITDIALOG, &CThrowingDlg::OnInitDialog, "CThrowingDlg::OnInitDialog"),
            Entry::Message(kThrowGeneral, &CThrowingDlg::OnThrowGeneral, "CThrowingDlg::OnThrowGeneral"),
            Entry::Message(kThrowStandard, &CThrowingDlg::OnThrowStandard, "CThrowingDlg::OnThrowStandard"),
            Entry::Message(kThrowOther, &CThrowingDlg::OnThrowOther, "CThrowingDlg::OnThrowOther"),
            Entry::Command(IDOK, &CThrowingDlg::OnOK, "CThrowingDlg::OnOK"),
        };
        return entries;
    }

protected:
    void OnFinalMessage(HWND window) noexcept override
    {
        CZentavoAxDialogImpl::OnFinalMessage(window);
        if (m_DeleteAtEnd)
            delete this;
    }

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&)
    {
        m_Record.lockCountInInit = GetComModule().GetLockCount();
        if (m_Record.throwInInit)
            throw std::runtime_error("init failed");
        return TRUE;
    }
    LRESULT OnThrowGeneral(UINT, WPARAM, LPARAM, bool&) { throw CGeneralException("No gateway", E_ACCESSDENIED); }
    LRESULT OnThrowStandard(UINT, WPARAM, LPARAM, bool&) { throw std::logic_error("bad state"); }
    LRESULT OnThrowOther(UINT, WPARAM, LPARAM, bool&) { throw 7; }
    LRESULT OnOK(UINT, WPARAM, LPARAM, bool&)
    {
        EndDialog(IDOK);
        return 0;
    }

    CRecord& m_Record;
    bool m_DeleteAtEnd;
};

std::string ErrorBoxText(const std::string& text, const std::string& function)
{
    return "An error has occured (Ctrl-C to copy)\n\n" + text + "\n\nFunction: " + function;
}

TEST(ZentavoAxDialogImpl, TemplatesComeFromThisModule)
{
    CRecord record;
    CThrowingDlg dialog(record);

    EXPECT_EQ(GetThisModuleInstance(), dialog.GetResourceInstance());
}

TEST(ZentavoAxDialogImpl, HandlerExceptionReachesTheErrorBoxAndReturnsAsOnSuccess)
{
    const struct
    {
        UINT message;
        const char* text;
        const char* function;
    } cases[] = {
        {kThrowGeneral, "No gateway (0x80070005)", "CThrowingDlg::OnThrowGeneral"},
        {kThrowStandard, "bad state", "CThrowingDlg::OnThrowStandard"},
        {kThrowOther, "Unrecognised Exception occurred", "CThrowingDlg::OnThrowOther"},
    };
    CRecord record;
    CThrowingDlg dialog(record);
    CDialogTemplate dialogTemplate = TestTemplate();
    const HWND window = dialog.CreateIndirect(dialogTemplate.Get());
    ASSERT_NE(nullptr, window);
    for (const auto& c : cases)
    {
        CMessageBoxCapture boxes;

        EXPECT_EQ(0, ::SendMessageA(window, c.message, 0, 0)) << c.function;

        const auto seen = boxes.Boxes();
        ASSERT_EQ(1u, seen.size()) << c.function;
        EXPECT_EQ(ErrorBoxText(c.text, c.function), seen[0].text);
        EXPECT_EQ(GetEventLogSourceName() + " - Error Occurred", seen[0].caption);
        EXPECT_EQ(nullptr, seen[0].owner);
        EXPECT_EQ(static_cast<UINT>(MB_OK), seen[0].style);
    }
    EXPECT_TRUE(::IsWindow(window));
}

class InitDialogThatThrows : public ::testing::Test
{
protected:
    InitDialogThatThrows() { m_Record.throwInInit = true; }

    CRecord m_Record;
    CThrowingDlg m_Dialog{m_Record};
    CDialogTemplate m_Template = TestTemplate();
    CMessageBoxCapture m_Boxes;
};

TEST_F(InitDialogThatThrows, ShowsTheBoxAndTheModalRunGoesOn)
{
    CWindowDriver driver;
    driver.Expect().Caption("Product base").Press(IDOK);

    EXPECT_EQ(IDOK, m_Dialog.DoModalIndirect(m_Template.Get()));

    EXPECT_EQ("", driver.Problems());
    ASSERT_EQ(1u, m_Boxes.Boxes().size());
    EXPECT_EQ(ErrorBoxText("init failed", "CThrowingDlg::OnInitDialog"), m_Boxes.Boxes()[0].text);
}

TEST_F(InitDialogThatThrows, AsksForTheDefaultFocus)
{
    const HWND window = m_Dialog.CreateIndirect(m_Template.Get());
    ASSERT_NE(nullptr, window);

    // WM_INITDIALOG's result comes back directly: TRUE asks for the focus.
    EXPECT_EQ(TRUE, ::SendMessageA(window, WM_INITDIALOG, 0, 0));
    EXPECT_EQ(2u, m_Boxes.Boxes().size());
}

TEST(ZentavoAxDialogImpl, ModalRunTakesNoModuleLock)
{
    const LONG before = GetComModule().GetLockCount();
    CRecord record;
    CThrowingDlg dialog(record);
    CDialogTemplate dialogTemplate = TestTemplate();
    CWindowDriver driver;
    driver.Expect().Caption("Product base").Press(IDOK);

    EXPECT_EQ(IDOK, dialog.DoModalIndirect(dialogTemplate.Get()));

    EXPECT_EQ(before, record.lockCountInInit);
    EXPECT_EQ(before, GetComModule().GetLockCount());
}

TEST(ZentavoAxDialogImpl, ModelessWindowHoldsTheModuleLockUntilItsEnd)
{
    enum class End
    {
        DestroyWindow,
        ObjectGoesFirst,
        SelfDeleting,
    };
    const struct
    {
        const char* what;
        End end;
    } cases[] = {
        {"window destroyed", End::DestroyWindow},
        {"object goes first", End::ObjectGoesFirst},
        {"self-deleting window destroyed", End::SelfDeleting},
    };
    CDialogTemplate dialogTemplate = TestTemplate();
    for (const auto& c : cases)
    {
        const LONG before = GetComModule().GetLockCount();
        CRecord record;
        auto* dialog = new CThrowingDlg(record, c.end == End::SelfDeleting);
        const HWND window = dialog->CreateIndirect(dialogTemplate.Get());
        ASSERT_NE(nullptr, window) << c.what;
        EXPECT_EQ(before + 1, record.lockCountInInit) << c.what;
        EXPECT_EQ(before + 1, GetComModule().GetLockCount()) << c.what;

        if (c.end == End::ObjectGoesFirst)
            delete dialog;
        else
            ::DestroyWindow(window);

        EXPECT_EQ(before, GetComModule().GetLockCount()) << c.what;
        EXPECT_FALSE(::IsWindow(window)) << c.what;
        if (c.end == End::DestroyWindow)
            delete dialog;
        EXPECT_EQ(1, record.deletions) << c.what;
        EXPECT_EQ(before, GetComModule().GetLockCount()) << c.what;
    }
}
}
