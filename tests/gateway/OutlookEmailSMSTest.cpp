#include "gateway/OutlookEmailSMS.h"

#include "tests/gateway/EmailTestSupport.h"
#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeComTest.h"

#include <gtest/gtest.h>

namespace
{
// The month's abbreviation as the user's locale writes it.
std::string MonthAbbreviation(int month)
{
    char text[32] = {};
    ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SABBREVMONTHNAME1 + month - 1, text, sizeof(text));
    return text;
}

class OutlookEmailSMSTest : public CFakeComTest
{
protected:
    OutlookEmailSMSTest()
    {
        m_Submission.m_Action = saNewSendMessageSubmission;
        m_Submission.m_SenderId = "Zentavo";
        m_Submission.m_MessageText = "See you at 9";
        m_Submission.m_Recipients = {CSMSContact("Ann Lee", "+44 7700 900001"), CSMSContact("", "447700900002")};
    }

    std::string Body()
    {
        bool attach = false;
        return COutlookEmailSMS::BuildSentItemBody(m_Submission, attach);
    }

    void Store() { COutlookEmailSMS::StoreSubmissionInOutlookSentItem(m_Outlook.Application(), m_Submission); }

    CFakeObjectPtr SentMail() const { return FakeElementOf(m_Outlook.DefaultFolder(5), L"Items", 0); }

    CPrivateTempFolder m_Temp;
    CFakeOutlook m_Outlook;
    CZentavoSMSGatewaySubmission m_Submission;
};

TEST_F(OutlookEmailSMSTest, BodyListsRecipientsSenderAndText)
{
    EXPECT_EQ("To: Ann Lee (+44 7700 900001); 447700900002; \nSender's Id: Zentavo\n\nMessage:\nSee you at 9", Body());

    m_Submission.m_SenderType = sstReplyable;
    EXPECT_NE(std::string::npos, Body().find("\nSender's Id: <Replyable>\n\nMessage:"));
    m_Submission.m_SenderType = sstUseAccountSettings;
    EXPECT_NE(std::string::npos, Body().find("\nSender's Id: <Use Account Settings>\n\nMessage:"));
    m_Submission.m_SenderType = 0;
    EXPECT_NE(std::string::npos, Body().find("\nSender's Id: \n\nMessage:"));
}

TEST_F(OutlookEmailSMSTest, BodyWithAndWithoutASchedule)
{
    m_Submission.m_ScheduledTime.wYear = 2025;
    m_Submission.m_ScheduledTime.wMonth = 3;
    m_Submission.m_ScheduledTime.wDay = 5;
    m_Submission.m_ScheduledTime.wHour = 9;
    m_Submission.m_ScheduledTime.wMinute = 7;
    EXPECT_NE(std::string::npos,
              Body().find("\nSender's Id: Zentavo\nSent At: 5 " + MonthAbbreviation(3) + " 09:07\n\nMessage:\n"));
    EXPECT_EQ("Mar", MonthAbbreviation(3)) << "the test prefix has a locale other than English";

    m_Submission.m_ScheduledTime.wDay = 0;
    EXPECT_EQ(std::string::npos, Body().find("Sent At"));
}

TEST_F(OutlookEmailSMSTest, StoresASavedCopyInSentItems)
{
    Store();

    const CFakeObjectPtr mail = SentMail();
    ASSERT_TRUE(mail);
    EXPECT_EQ(L"\"SMS Message Sent\"", FakeVariantText(mail->Value(L"Subject")));
    EXPECT_EQ(L"\"" + std::wstring(_bstr_t(Body().c_str())) + L"\"", FakeVariantText(mail->Value(L"Body")));
    EXPECT_EQ(L"True", FakeVariantText(mail->Value(L"Saved")));
    EXPECT_FALSE(FakeElementOf(mail, L"Attachments", 0));

    const std::vector<std::wstring> expected = {
        L"Application.GetNamespace(\"MAPI\")",
        L"NameSpace.GetDefaultFolder(5)",
        L"MAPIFolder.Items",
        L"Items.Add()",
        L"MailItem.Subject=\"SMS Message Sent\"",
        L"MailItem.Body=\"" + std::wstring(_bstr_t(Body().c_str())) + L"\"",
        L"MailItem.Save()",
        L"MailItem.Move(<MAPIFolder>)",
        L"NameSpace.Logoff()",
    };
    EXPECT_EQ(expected, m_Outlook.Log().Texts());
}

TEST_F(OutlookEmailSMSTest, ThirtyRecipientsGoIntoAnAttachedNumberList)
{
    m_Submission.m_Recipients = NumberedContacts(29);
    const std::string listed = Body();
    EXPECT_EQ(0u, listed.find("To: Person 1 (+44 7700 910000); Person 2 (+44 7700 910001); "));
    EXPECT_NE(std::string::npos, listed.find("Person 29 (+44 7700 910028); \nSender's Id:"));

    m_Submission.m_Recipients = NumberedContacts(30);
    EXPECT_EQ(0u, Body().find("To: <See Attached List>\nSender's Id: Zentavo\n"));
    Store();
    const CFakeObjectPtr list = FakeElementOf(SentMail(), L"Attachments", 0);
    ASSERT_TRUE(list);
    const std::wstring name = FakeArgumentText({list->Value(L"DisplayName")}, 0);
    EXPECT_EQ(0u, name.find(L"NumberList_"));
    const std::wstring contents = FakeArgumentText({list->Value(L"Contents")}, 0);
    EXPECT_EQ(0u, contents.find(L"447700910000 \"Person 1\"\r\n447700910001 \"Person 2\"\r\n"));
    EXPECT_TRUE(m_Temp.Files().empty());
}

TEST_F(OutlookEmailSMSTest, FailingStepsAreNamedAndTheNumberListIsGone)
{
    m_Submission.m_Recipients = NumberedContacts(30);
    const struct
    {
        const wchar_t* context;
        const wchar_t* member;
    } steps[] = {
        {L"COutlookEmailSMS::StoreSubmissionInOutlookSentItem(Application.GetNamespace)", L"GetNamespace"},
        {L"COutlookEmailSMS::StoreSubmissionInOutlookSentItem(Create NewMail)", L"GetDefaultFolder"},
        {L"COutlookEmailSMS::StoreSubmissionInOutlookSentItem(Add Attachments)", L"Attachments.Add"},
        {L"COutlookEmailSMS::StoreSubmissionInOutlookSentItem(NewMail.Save)", L"Save"},
        {L"COutlookEmailSMS::StoreSubmissionInOutlookSentItem(NewMail.Move)", L"Move"},
        {L"COutlookEmailSMS::StoreSubmissionInOutlookSentItem(Namespace.Logoff)", L"Logoff"},
    };
    for (const auto& step : steps)
    {
        CFakeOutlook outlook;
        const std::wstring member = step.member;
        if (member == L"GetNamespace")
            outlook.Application()->Fail(member, E_OUTOFMEMORY, L"No memory");
        else if (member == L"GetDefaultFolder" || member == L"Logoff")
            outlook.Session()->Fail(member, E_OUTOFMEMORY, L"No memory");
        else
        {
            // The mail item is made during the call: fail it as it is made.
            const CFakeCollectionPtr items = FakeCollectionOf(outlook.DefaultFolder(5)->Value(L"Items"));
            CFakeCollection* itemsPtr = items;
            const CFakeOutlook* owner = &outlook;
            items->SetMethod(L"Add", [itemsPtr, owner, member](const CFakeObject::Arguments&) {
                const CFakeObjectPtr mail = owner->NewMailItem();
                if (member == L"Attachments.Add")
                    FakeObjectOf(mail->Value(L"Attachments"))->Fail(L"Add", E_OUTOFMEMORY, L"No memory");
                else
                    mail->Fail(member, E_OUTOFMEMORY, L"No memory");
                itemsPtr->Add(static_cast<IDispatch*>(mail));
                return _variant_t(static_cast<IDispatch*>(mail));
            });
        }

        try
        {
            COutlookEmailSMS::StoreSubmissionInOutlookSentItem(outlook.Application(), m_Submission);
            ADD_FAILURE() << "no failure";
        }
        catch (const _com_error& e)
        {
            EXPECT_EQ(E_OUTOFMEMORY, e.Error());
            EXPECT_EQ(std::wstring(L"COM exception thrown (Context:") + step.context + L") - No memory",
                      static_cast<const wchar_t*>(e.Description()));
        }
        EXPECT_TRUE(m_Temp.Files().empty());
    }
}
} // namespace
