#include "gateway/ZentavoSMSGatewayHTTPSSubmitter.h"

#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeComTest.h"

#include <gtest/gtest.h>

namespace
{
class SubmissionIdentityTest : public CFakeComTest
{
protected:
    void Fill(const std::string& userContext)
    {
        IDispatchPtr application = m_Outlook.Application();
        SetSubmissionReplyAndSourceIdentity(application, m_Submission, userContext);
    }

    CFakeOutlook m_Outlook;
    CZentavoSMSGatewaySubmission m_Submission;
};

TEST_F(SubmissionIdentityTest, PlainUserBecomesSourceAndReplyTo)
{
    m_Outlook.SetCurrentUser(L"Ann Lee", L"ann.lee@example.com");
    Fill("");
    EXPECT_EQ(L"ann.lee@example.com", m_Submission.m_MessageSource.m_Id);
    EXPECT_EQ(L"Ann Lee", m_Submission.m_MessageSource.m_Name);
    EXPECT_EQ(0x20000001u, m_Submission.m_MessageSource.m_InterfaceId);
    EXPECT_EQ(L"ann.lee@example.com", m_Submission.m_ReplyTo.m_Id);
    EXPECT_EQ(L"Ann Lee", m_Submission.m_ReplyTo.m_Name);
    EXPECT_EQ(0x20000001u, m_Submission.m_ReplyTo.m_InterfaceId);
}

TEST_F(SubmissionIdentityTest, ExchangeUserGivesItsSmtpAddress)
{
    m_Outlook.SetExchangeCurrentUser(L"Lee, Ann", L"/o=Org/ou=Exchange/cn=Recipients/cn=ann", L"Ann Lee",
                                     L"ann.lee@example.com");
    Fill("");
    EXPECT_EQ(L"ann.lee@example.com", m_Submission.m_MessageSource.m_Id);
    EXPECT_EQ(L"Ann Lee", m_Submission.m_MessageSource.m_Name);
    EXPECT_EQ(L"ann.lee@example.com", m_Submission.m_ReplyTo.m_Id);
}

TEST_F(SubmissionIdentityTest, UserContextLeavesTheReplyToAlone)
{
    m_Outlook.SetCurrentUser(L"Ann Lee", L"ann.lee@example.com");
    m_Submission.m_ReplyTo.m_Id = L"kept@example.com";
    Fill("ticket 42");
    EXPECT_EQ(L"ann.lee@example.com", m_Submission.m_MessageSource.m_Id);
    EXPECT_EQ(L"kept@example.com", m_Submission.m_ReplyTo.m_Id);
    EXPECT_EQ(0u, m_Submission.m_ReplyTo.m_InterfaceId);
}

TEST_F(SubmissionIdentityTest, UserWithoutAnAddressChangesNothing)
{
    m_Outlook.SetExchangeCurrentUser(L"Ann", L"/o=Org/cn=ann", L"", L"");
    Fill("");
    EXPECT_EQ(L"", m_Submission.m_MessageSource.m_Id);
    EXPECT_EQ(L"", m_Submission.m_MessageSource.m_Name);
    EXPECT_EQ(0u, m_Submission.m_MessageSource.m_InterfaceId);
    EXPECT_EQ(L"", m_Submission.m_ReplyTo.m_Id);
    EXPECT_EQ(0u, m_Submission.m_ReplyTo.m_InterfaceId);
}
} // namespace
