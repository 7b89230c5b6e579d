// Data exchange against the controls of a real dialog: load, save, and a
// failed control ending the pass.
#include "platform/DataExchange.h"

#include "tests/support/DialogTemplate.h"
#include "tests/support/PlainDialog.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
constexpr int kNumberEdit = 100;
constexpr int kTextEdit = 101;
constexpr int kBox = 102;
constexpr int kMissing = 199;

class DataExchange : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CDialogTemplate dialogTemplate("Exchange", 200, 100, WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT);
        dialogTemplate.AddEdit(kNumberEdit, 10, 10, 80, 14)
            .AddEdit(kTextEdit, 10, 30, 80, 14)
            .AddCheckBox(kBox, "Box", 10, 50, 80, 14);
        ASSERT_NE(nullptr, m_Dialog.CreateIndirect(dialogTemplate.Get()));
    }

    std::string ControlText(int control) const { return CWindow(m_Dialog.GetDlgItem(control)).GetText(); }
    void SetControlText(int control, const std::string& text) const { ::SetDlgItemTextA(m_Dialog, control, text.c_str()); }

    CPlainDlg m_Dialog;
};

TEST_F(DataExchange, LoadsMembersIntoControls)
{
    int number = -2147483647 - 1;
    std::string text = "Caf\xe9 & \"quotes\"";
    bool checked = true;

    const CDataExchange dx = CDataExchange(m_Dialog, false).Int(kNumberEdit, number).Text(kTextEdit, text).Check(kBox, checked);

    EXPECT_TRUE(dx.Succeeded());
    EXPECT_EQ("-2147483648", ControlText(kNumberEdit));
    EXPECT_EQ(text, ControlText(kTextEdit));
    EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(m_Dialog, kBox));
}

TEST_F(DataExchange, SavesControlsIntoMembers)
{
    SetControlText(kNumberEdit, "-17");
    SetControlText(kTextEdit, std::string(5000, 'x'));
    ::CheckDlgButton(m_Dialog, kBox, BST_CHECKED);
    int number = 0;
    std::string text;
    bool checked = false;

    const CDataExchange dx = CDataExchange(m_Dialog, true).Int(kNumberEdit, number).Text(kTextEdit, text).Check(kBox, checked);

    EXPECT_TRUE(dx.Succeeded());
    EXPECT_EQ(-17, number);
    EXPECT_EQ(std::string(5000, 'x'), text);
    EXPECT_TRUE(checked);
}

TEST_F(DataExchange, SavesSignedNumbersByGetDlgItemIntsRules)
{
    const struct
    {
        const char* text;
        int expected;
    } cases[] = {
        {"0", 0},
        {" -17 ", -17},
        {"+5", 5},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
    };
    for (const auto& c : cases)
    {
        SetControlText(kNumberEdit, c.text);
        int number = 99;

        EXPECT_TRUE(CDataExchange(m_Dialog, true).Int(kNumberEdit, number).Succeeded()) << c.text;
        EXPECT_EQ(c.expected, number) << c.text;
    }
}

TEST_F(DataExchange, FailedControlEndsThePassAndTakesTheFocus)
{
    const struct
    {
        const char* what;
        const char* numberText;
        int numberControl;
        int failedControl;
    } cases[] = {
        {"letters after the digits", "12a", kNumberEdit, kNumberEdit},
        {"empty", "", kNumberEdit, kNumberEdit},
        {"above the signed range", "2147483648", kNumberEdit, kNumberEdit},
        {"below the signed range", "-2147483649", kNumberEdit, kNumberEdit},
        {"two signs", "--1", kNumberEdit, kNumberEdit},
        {"blank between digits", "1 2", kNumberEdit, kNumberEdit},
        {"missing control", "5", kMissing, kMissing},
    };
    for (const auto& c : cases)
    {
        SetControlText(kNumberEdit, c.numberText);
        SetControlText(kTextEdit, "later");
        ::SetFocus(m_Dialog.GetDlgItem(kTextEdit));
        int number = 99;
        std::string text = "kept";

        const CDataExchange dx = CDataExchange(m_Dialog, true).Int(c.numberControl, number).Text(kTextEdit, text);

        EXPECT_FALSE(dx.Succeeded()) << c.what;
        EXPECT_EQ(c.failedControl, dx.FailedControl()) << c.what;
        EXPECT_EQ(99, number) << c.what;
        EXPECT_EQ("kept", text) << c.what;
        if (c.failedControl != kMissing)
        {
            EXPECT_EQ(m_Dialog.GetDlgItem(c.failedControl), ::GetFocus()) << c.what;
        }
    }
}

TEST_F(DataExchange, LoadIntoAMissingControlFails)
{
    int number = 1;
    bool checked = true;
    std::string text = "t";
    for (int kind = 0; kind < 3; ++kind)
    {
        CDataExchange dx(m_Dialog, false);
        if (kind == 0)
            dx.Int(kMissing, number);
        else if (kind == 1)
            dx.Check(kMissing, checked);
        else
            dx.Text(kMissing, text);
        EXPECT_EQ(kMissing, dx.FailedControl()) << kind;
    }
}
}
