#include "gateway/ZentavoSMSGatewaySMTPSubmitter.h"

#include "core/Exceptions.h"
#include "core/GatewayAddresses.h"
#include "tests/gateway/EmailTestSupport.h"
#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeComTest.h"

#include <gtest/gtest.h>

#include <regex>

namespace
{
class SMTPSubmitterTest : public CFakeComTest
{
protected:
    SMTPSubmitterTest()
    {
        m_Submission.m_Action = saNewSendMessageSubmission;
        m_Submission.m_Method = smSMTP;
        m_Submission.m_SenderId = "Zentavo";
        m_Submission.m_MessageText = "Meeting moved to 3pm";
        m_Submission.m_MaxConCat = 2;
        m_Submission.m_Recipients = {CSMSContact("Ann Lee", "+44 7700 900001"), CSMSContact("", "447700900002")};
    }

    CZentavoSMSGatewaySubmissionResults Submit(std::uint32_t authMode)
    {
        CZentavoSMSGatewaySMTPSubmitter submitter(authMode, "ab", "cd", "CorpKey-77");
        return submitter.MakeSubmission(m_Outlook.Application(), m_Submission);
    }

    CFakeObjectPtr SentMail() const { return FakeElementOf(m_Outlook.DefaultFolder(4), L"Items", 0); }

    std::wstring Text(const CFakeObjectPtr& object, const wchar_t* property) const
    {
        return object ? FakeArgumentText({object->Value(property)}, 0) : std::wstring(L"<none>");
    }

    std::wstring At(const std::string& local) const
    {
        return static_cast<const wchar_t*>(_bstr_t((local + "@" + GetGatewayMailDomain()).c_str()));
    }

    CPrivateTempFolder m_Temp;
    CFakeOutlook m_Outlook;
    CZentavoSMSGatewaySubmission m_Submission;
};

TEST_F(SMTPSubmitterTest, OnlyNewMessagesAreSubmitted)
{
    for (std::uint32_t action : {0u, 2u, 3u})
    {
        m_Submission.m_Action = action;
        try
        {
            Submit(5);
            ADD_FAILURE() << "action " << action << " was submitted";
        }
        catch (const CGeneralException& e)
        {
            EXPECT_EQ("CZentavoSMSGatewaySMTPSubmitter::MakeSubmission - SubmissionActions not support",
                      e.GetDescription());
            EXPECT_EQ(E_FAIL, e.GetHResult());
        }
    }
    EXPECT_TRUE(m_Outlook.Log().Calls().empty());
    EXPECT_TRUE(m_Temp.Files().empty());
}

TEST_F(SMTPSubmitterTest, StandardModeSendsUnresolvedAddressesAndReportsSuccess)
{
    const CZentavoSMSGatewaySubmissionResults results = Submit(5);

    EXPECT_EQ(1, results.m_Success);
    EXPECT_EQ(1u, results.m_ResultCode);
    EXPECT_EQ(0, results.m_HasSubmissionId);
    EXPECT_TRUE(results.m_SubmissionId.empty());
    EXPECT_TRUE(results.m_SendStatuses.empty());

    const CFakeObjectPtr mail = SentMail();
    EXPECT_EQ(L"Message to multiple recipients   [ From:Zentavo MaxConCat:2 ]", Text(mail, L"Subject"));
    EXPECT_EQ(L"Meeting moved to 3pm\r[EndOfMessage]\n\n", Text(mail, L"Body"));
    EXPECT_EQ(L"\"Ann Lee\" <" + At("447700900001") + L">", Text(FakeElementOf(mail, L"Recipients", 0), L"Address"));
    EXPECT_EQ(At("447700900002"), Text(FakeElementOf(mail, L"Recipients", 1), L"Address"));
    EXPECT_TRUE(m_Outlook.Log().CallsTo(L"Recipients.ResolveAll").empty());
    EXPECT_EQ(1u, m_Outlook.Log().CallsTo(L"MailItem.Send").size());
}

TEST_F(SMTPSubmitterTest, PlainPasswordModeWithSixRecipientsUsesTheBulkAddress)
{
    m_Submission.m_Recipients = NumberedContacts(6);
    Submit(1);

    const CFakeObjectPtr mail = SentMail();
    EXPECT_EQ(At("bulksend.ab.cd"), Text(FakeElementOf(mail, L"Recipients", 0), L"Address"));
    EXPECT_FALSE(FakeElementOf(mail, L"Recipients", 1));
    const CFakeObjectPtr list = FakeElementOf(mail, L"Attachments", 0);
    EXPECT_TRUE(std::regex_match(static_cast<const char*>(_bstr_t(Text(list, L"DisplayName").c_str())),
                                 std::regex("NumberList_[0-9a-f]{4}\\.txt")));
    EXPECT_EQ(0u, Text(list, L"Contents").find(L"447700910000 \"Person 1\"\r\n"));
    EXPECT_TRUE(m_Temp.Files().empty());
}

TEST_F(SMTPSubmitterTest, CorporateKeyModeAttachesTheDocumentAndTheNumberList)
{
    Submit(4);

    const CFakeObjectPtr mail = SentMail();
    EXPECT_EQ(At("bulksend"), Text(FakeElementOf(mail, L"Recipients", 0), L"Address"));
    EXPECT_FALSE(FakeElementOf(mail, L"Recipients", 1));
    EXPECT_EQ(L"Message to multiple recipients", Text(mail, L"Subject"));
    EXPECT_EQ(L"Meeting moved to 3pm", Text(mail, L"Body"));

    const CFakeObjectPtr document = FakeElementOf(mail, L"Attachments", 0);
    const CFakeObjectPtr list = FakeElementOf(mail, L"Attachments", 1);
    const std::string xml = static_cast<const char*>(_bstr_t(Text(document, L"Contents").c_str()));
    EXPECT_EQ(0u, Text(document, L"DisplayName").find(L"Submission_"));
    EXPECT_EQ("4", ElementText(xml, "AuthMode"));
    const std::string sKey = ElementText(xml, "SubmissionKey");
    EXPECT_EQ("A" + CryptoApiSha1Base64("q7m3x9keCorpKey-77" + sKey + "k#81w6"), ElementText(xml, "AuthHash"));
    EXPECT_NE(std::string::npos,
              xml.find("<EmailAttachment filename=\"" +
                       std::string(static_cast<const char*>(_bstr_t(Text(list, L"DisplayName").c_str()))) +
                       "\" />"));
    EXPECT_EQ(L"447700900001 \"Ann Lee\"\r\n447700900002\r\n", Text(list, L"Contents"));
    EXPECT_TRUE(m_Temp.Files().empty());
}

TEST_F(SMTPSubmitterTest, EncryptedPasswordModeWithoutRecipientsNamesTheToField)
{
    m_Submission.m_Recipients.clear();
    Submit(2);

    const CFakeObjectPtr mail = SentMail();
    EXPECT_FALSE(FakeElementOf(mail, L"Recipients", 0));
    EXPECT_FALSE(FakeElementOf(mail, L"Attachments", 1));
    const std::string xml =
        static_cast<const char*>(_bstr_t(Text(FakeElementOf(mail, L"Attachments", 0), L"Contents").c_str()));
    EXPECT_EQ("ab", ElementText(xml, "Username"));
    EXPECT_NE(std::string::npos, xml.find("<EmailField field=\"To\" />"));
}

TEST_F(SMTPSubmitterTest, AnOutlookFailureLeavesNoFiles)
{
    const CFakeCollectionPtr items = FakeCollectionOf(m_Outlook.DefaultFolder(4)->Value(L"Items"));
    CFakeCollection* itemsPtr = items;
    const CFakeOutlook* outlook = &m_Outlook;
    items->SetMethod(L"Add", [itemsPtr, outlook](const CFakeObject::Arguments&) {
        const CFakeObjectPtr mail = outlook->NewMailItem();
        mail->Fail(L"Send", E_ABORT, L"Sending was cancelled");
        itemsPtr->Add(static_cast<IDispatch*>(mail));
        return _variant_t(static_cast<IDispatch*>(mail));
    });

    try
    {
        Submit(4);
        FAIL() << "no failure";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(E_ABORT, e.Error());
        EXPECT_EQ(std::wstring(L"COM exception thrown (Context:COutlookEmailSender::SendEmail(NewMail.Send)) - "
                               L"Sending was cancelled"),
                  static_cast<const wchar_t*>(e.Description()));
    }
    EXPECT_TRUE(m_Temp.Files().empty());
}
} // namespace
