// The From field of the Send SMS window: its items, the clear command, the
// "<Use Account Settings>" placeholder under typing, and the remembered
// sender ids after a send.
#include "tests/ui/SendSMSWindowFixture.h"

#include <gmock/gmock.h>

namespace
{
using Items = std::vector<std::pair<std::string, LPARAM>>;
const std::string kPlaceholder = "<Use Account Settings>";

void Remember(const std::vector<std::string>& ids)
{
    CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_UserPreferences.GetSelectableSendersIdList() = ids;
}
std::vector<std::string> Remembered()
{
    return CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_UserPreferences.GetSelectableSendersIdList();
}
} // namespace

TEST_F(SendSMSWindow, FromItemsCarryTheirData)
{
    struct Case
    {
        const char* entryMode;
        int fromId;
        Items items;
    };
    const Case cases[] = {
        {"2", IDC_SENDSMS_FROM, {{"ALPHA", 1}, {"BETA", 1}, {kPlaceholder, 3}, {"Clear List....", 2}}},
        {"1", IDC_SENDSMS_FROM_LIST, {{"ALPHA", 1}, {"BETA", 1}, {kPlaceholder, 3}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.entryMode);
        LoadSettings({{"ZentavoSMSUIFromFieldEntryMode", c.entryMode}});
        Remember({"ALPHA", "BETA"});
        OpenWindow();
        EXPECT_EQ(c.items, ComboItems(c.fromId));
        Close();
    }
}

TEST_F(SendSMSWindow, ClearListAsksAndPutsThePreviousTextBack)
{
    struct Case
    {
        int answer;
        std::vector<std::string> remembered;
        Items items;
    };
    const Case cases[] = {
        {IDNO, {"ALPHA", "BETA"}, {{"ALPHA", 1}, {"BETA", 1}, {kPlaceholder, 3}, {"Clear List....", 2}}},
        {IDYES, {}, {{kPlaceholder, 3}, {"Clear List....", 2}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.answer);
        LoadSettings({{"DefaultSendersId", "BETA"}, {"DefaultSendersIdUseReplyable", "0"}});
        Remember({"ALPHA", "BETA"});
        OpenWindow();
        m_Boxes.QueueAnswers({c.answer});
        const size_t boxesBefore = m_Boxes.Boxes().size();
        ChooseFromItem(3);
        Pump(100);
        ASSERT_EQ(boxesBefore + 1, m_Boxes.Boxes().size());
        const CapturedMessageBox box = m_Boxes.Boxes().back();
        EXPECT_EQ("Are you sure you want to clear the Sender's Id list?", box.text);
        EXPECT_EQ("ZentavoSMS Outlook Add-in", box.caption);
        EXPECT_EQ(static_cast<UINT>(MB_YESNO), box.style & MB_TYPEMASK);
        EXPECT_EQ(c.remembered, Remembered());
        EXPECT_EQ(c.items, ComboItems(IDC_SENDSMS_FROM));
        EXPECT_EQ("BETA", ItemText(IDC_SENDSMS_FROM));
        EXPECT_FALSE(m_pDlg->GetUseAccountSettings());
        ChooseFromItem(static_cast<int>(c.items.size()) - 2);
        EXPECT_TRUE(m_pDlg->GetUseAccountSettings());
        Close();
    }
}

TEST_F(SendSMSWindow, TypingOverThePlaceholderKeepsWhatWasTyped)
{
    struct Case
    {
        const char* what;
        std::string typed;
        std::string field;
    };
    const Case cases[] = {
        {"one letter after", kPlaceholder + "A", "A"},
        {"one letter before", "A" + kPlaceholder, "A"},
        {"a paste before", "ACME Ltd" + kPlaceholder, "ACME Ltd"},
        {"a paste after", kPlaceholder + "ACME Ltd", "ACME Ltd"},
        {"one character deleted", "<Use Account Setings>", ""},
        {"a letter inside", "<Use AXccount Settings>", ""},
        {"the whole placeholder replaced", "A", "A"},
        {"all but two characters selected over", "AB", "AB"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Open({{"DefaultSendersIdUseAccountSettings", "1"}, {"DefaultSendersIdUseReplyable", "0"}});
        ASSERT_EQ(kPlaceholder, ItemText(IDC_SENDSMS_FROM));
        ASSERT_TRUE(m_pDlg->GetUseAccountSettings());
        TypeFrom(c.typed);
        EXPECT_EQ(c.field, ItemText(IDC_SENDSMS_FROM));
        EXPECT_FALSE(m_pDlg->GetUseAccountSettings());
        if (!c.field.empty() && c.field != c.typed)
        {
            DWORD start = 0;
            DWORD end = 0;
            ::SendMessageA(Item(IDC_SENDSMS_FROM), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                           reinterpret_cast<LPARAM>(&end));
            EXPECT_EQ(c.field.size(), start);
            EXPECT_EQ(c.field.size(), end);
        }
        // Once the placeholder is gone, typing is plain typing.
        TypeFrom("B" + kPlaceholder);
        EXPECT_EQ("B" + kPlaceholder, ItemText(IDC_SENDSMS_FROM));
        Close();
    }
}

TEST_F(SendSMSWindow, SentSenderIdsAreRememberedMostRecentFirst)
{
    struct Case
    {
        const char* what;
        std::string maximum;
        std::string autoAdd;
        std::vector<std::string> before;
        std::string sent;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {"known id moves to the front", "5", "1", {"ALPHA", "BETA"}, "BETA", {"BETA", "ALPHA"}},
        {"new id", "5", "1", {"ALPHA", "BETA"}, "GAMMA", {"GAMMA", "ALPHA", "BETA"}},
        {"sixth id drops the oldest", "5", "1", {"A", "B", "C", "D", "E"}, "F", {"F", "A", "B", "C", "D"}},
        {"ids compared exactly", "5", "1", {"alpha"}, "ALPHA", {"ALPHA", "alpha"}},
        {"maximum 1 keeps only the new id", "1", "1", {"A", "B"}, "C", {"C"}},
        {"maximum 1, the same id", "1", "1", {"A"}, "A", {"A"}},
        // A stored maximum below 1 reads as the default 5: the id just
        // sent, and those before it, are kept.
        {"stored maximum 0", "0", "1", {"A", "B"}, "C", {"C", "A", "B"}},
        {"negative maximum", "-3", "1", {"A"}, "C", {"C", "A"}},
        {"auto-add off", "5", "0", {"A", "B"}, "C", {"A", "B"}},
        {"auto-add off, maximum 0", "0", "0", {"A", "B"}, "C", {"A", "B"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        LoadSettings({{"ZentavoSMSSelectableSendersIdList_MaxLength", c.maximum},
                      {"ZentavoSMSSelectableSendersIdList_AutoAdd", c.autoAdd}});
        Remember(c.before);
        CSendSMSDlg::UpdateSelectableSendersIdList(c.sent);
        EXPECT_EQ(c.after, Remembered());
    }
}
