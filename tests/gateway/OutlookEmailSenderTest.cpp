#include "gateway/OutlookEmailSender.h"

#include "core/ErrorReports.h"
#include "tests/gateway/EmailTestSupport.h"
#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeComTest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

namespace
{
class OutlookEmailSenderTest : public CFakeComTest
{
protected:
    OutlookEmailSenderTest()
    {
        m_Message.m_To = {"\"Ann\" <111@gw.example>", "222@gw.example"};
        m_Message.m_Subject = "Message to multiple recipients";
        m_Message.m_Body = "Body\r[EndOfMessage]\n\n";
        m_Message.m_Attachments = {Attachment("Submission_0a0b.xml", "<xml/>"),
                                   Attachment("NumberList_0c0d.txt", "111\r\n222\r\n")};
    }

    CEmailAttachment Attachment(const std::string& name, const std::string& contents)
    {
        CEmailAttachment attachment;
        attachment.m_FilePath = m_Temp.Path() + "\\\\" + name;
        attachment.m_DisplayName = name;
        std::ofstream(attachment.m_FilePath.c_str(), std::ios::binary) << contents;
        return attachment;
    }

    void Send(bool resolve = false, bool deleteFiles = true)
    {
        COutlookEmailSender sender;
        sender.SendEmail(m_Outlook.Application(), m_Message, resolve, deleteFiles);
    }

    // The mail item the sender made in the Outbox.
    CFakeObjectPtr OutboxMail(size_t index = 0) const { return FakeElementOf(m_Outlook.DefaultFolder(4), L"Items", index); }

    // Runs the send expecting a failure; returns its description.
    std::wstring FailingSend(HRESULT expected)
    {
        try
        {
            Send();
        }
        catch (const _com_error& e)
        {
            EXPECT_EQ(expected, e.Error());
            return e.Description().length() ? static_cast<const wchar_t*>(e.Description()) : L"";
        }
        ADD_FAILURE() << "the send did not fail";
        return std::wstring();
    }

    // Makes the Outbox's Items.Add hand out a mail item that the test
    // prepares first (to fail its Attachments or Recipients).
    void PrepareNextMail(const std::function<void(CFakeObject&)>& prepare)
    {
        const CFakeCollectionPtr items = FakeCollectionOf(m_Outlook.DefaultFolder(4)->Value(L"Items"));
        CFakeCollection* itemsPtr = items;
        const CFakeOutlook* outlook = &m_Outlook;
        items->SetMethod(L"Add", [itemsPtr, outlook, prepare](const CFakeObject::Arguments&) {
            const CFakeObjectPtr mail = outlook->NewMailItem();
            prepare(*mail);
            itemsPtr->Add(static_cast<IDispatch*>(mail));
            return _variant_t(static_cast<IDispatch*>(mail));
        });
    }

    CPrivateTempFolder m_Temp;
    CFakeOutlook m_Outlook;
    CEmailMessage m_Message;
};

TEST_F(OutlookEmailSenderTest, SendsANewOutboxMailWithEverythingInOrder)
{
    Send();

    const CFakeObjectPtr mail = OutboxMail();
    ASSERT_TRUE(mail);
    EXPECT_EQ(L"\"Message to multiple recipients\"", FakeVariantText(mail->Value(L"Subject")));
    EXPECT_EQ(L"\"Body\r[EndOfMessage]\n\n\"", FakeVariantText(mail->Value(L"Body")));
    EXPECT_EQ(L"\"\"Ann\" <111@gw.example>\"", FakeVariantText(FakeElementOf(mail, L"Recipients", 0)->Value(L"Address")));
    EXPECT_EQ(L"\"222@gw.example\"", FakeVariantText(FakeElementOf(mail, L"Recipients", 1)->Value(L"Address")));
    EXPECT_FALSE(FakeElementOf(mail, L"Recipients", 2));

    const CFakeObjectPtr document = FakeElementOf(mail, L"Attachments", 0);
    const CFakeObjectPtr list = FakeElementOf(mail, L"Attachments", 1);
    ASSERT_TRUE(document && list);
    EXPECT_EQ(L"\"Submission_0a0b.xml\"", FakeVariantText(document->Value(L"DisplayName")));
    EXPECT_EQ(L"\"<xml/>\"", FakeVariantText(document->Value(L"Contents")));
    EXPECT_EQ(L"\"NumberList_0c0d.txt\"", FakeVariantText(list->Value(L"DisplayName")));
    EXPECT_EQ(L"\"111\r\n222\r\n\"", FakeVariantText(list->Value(L"Contents")));
    EXPECT_EQ(L"1", FakeVariantText(list->Value(L"Type")));
    EXPECT_EQ(L"True", FakeVariantText(mail->Value(L"Sent")));
    EXPECT_TRUE(m_Temp.Files().empty());

    const std::vector<std::wstring> calls = m_Outlook.Log().Texts();
    const std::vector<std::wstring> expected = {
        L"Application.GetNamespace(\"MAPI\")",
        L"NameSpace.GetDefaultFolder(4)",
        L"MAPIFolder.Items",
        L"Items.Add()",
        L"MailItem.Subject=\"Message to multiple recipients\"",
        L"MailItem.Body=\"Body\r[EndOfMessage]\n\n\"",
        L"MailItem.Attachments",
        L"Attachments.Add(\"" + std::wstring(_bstr_t(m_Message.m_Attachments[0].m_FilePath.c_str())) +
            L"\", 1, <missing>, \"Submission_0a0b.xml\")",
        L"MailItem.Attachments",
        L"Attachments.Add(\"" + std::wstring(_bstr_t(m_Message.m_Attachments[1].m_FilePath.c_str())) +
            L"\", 1, <missing>, \"NumberList_0c0d.txt\")",
        L"MailItem.Recipients",
        L"Recipients.Add(\"\"Ann\" <111@gw.example>\")",
        L"Recipients.Add(\"222@gw.example\")",
        L"MailItem.Send()",
        L"NameSpace.Logoff()",
    };
    EXPECT_EQ(expected, calls);
}

TEST_F(OutlookEmailSenderTest, ResolvesAndKeepsFilesOnlyWhenAsked)
{
    Send(true, false);
    EXPECT_EQ(1u, m_Outlook.Log().CallsTo(L"Recipients.ResolveAll").size());
    EXPECT_EQ(2u, m_Temp.Files().size());

    Send(false, true);
    EXPECT_EQ(1u, m_Outlook.Log().CallsTo(L"Recipients.ResolveAll").size());
    EXPECT_TRUE(m_Temp.Files().empty());
}

TEST_F(OutlookEmailSenderTest, EachFailingStepIsNamedAndLeavesNoFiles)
{
    struct Step
    {
        const wchar_t* context;
        std::function<void()> inject;
    };
    const HRESULT failure = static_cast<HRESULT>(0x80040109);
    const std::vector<Step> steps = {
        {L"COutlookEmailSender::SendEmail(Application.GetNamespace)",
         [&] { m_Outlook.Application()->Fail(L"GetNamespace", failure, L"Outlook is busy"); }},
        {L"COutlookEmailSender::SendEmail(Create NewMail)",
         [&] { FakeObjectOf(m_Outlook.DefaultFolder(4)->Value(L"Items"))->Fail(L"Add", failure, L"Outlook is busy"); }},
        {L"COutlookEmailSender::SendEmail(Add Attachments)",
         [&] {
             PrepareNextMail([failure](CFakeObject& mail) {
                 FakeObjectOf(mail.Value(L"Attachments"))->Fail(L"Add", failure, L"Outlook is busy");
             });
         }},
        {L"COutlookEmailSender::SendEmail(Add Recipients)",
         [&] {
             PrepareNextMail([failure](CFakeObject& mail) {
                 FakeObjectOf(mail.Value(L"Recipients"))->Fail(L"Add", failure, L"Outlook is busy");
             });
         }},
        {L"COutlookEmailSender::SendEmail(NewMail.Send)",
         [&] { PrepareNextMail([failure](CFakeObject& mail) { mail.Fail(L"Send", failure, L"Outlook is busy"); }); }},
        {L"COutlookEmailSender::SendEmail(Namespace.Logoff)",
         [&] { m_Outlook.Session()->Fail(L"Logoff", failure, L"Outlook is busy"); }},
    };
    for (const Step& step : steps)
    {
        CFakeOutlook fresh;
        std::swap(m_Outlook, fresh);
        m_Message.m_Attachments = {Attachment("Submission_0a0b.xml", "<xml/>"),
                                   Attachment("NumberList_0c0d.txt", "111\r\n222\r\n")};
        step.inject();
        EXPECT_EQ(std::wstring(L"COM exception thrown (Context:") + step.context + L") - Outlook is busy",
                  FailingSend(failure));
        EXPECT_TRUE(m_Temp.Files().empty()) << static_cast<const char*>(_bstr_t(step.context));
    }
}

TEST_F(OutlookEmailSenderTest, ResolveAllFailureAndAnItemThatIsNoMail)
{
    PrepareNextMail([](CFakeObject& mail) {
        FakeObjectOf(mail.Value(L"Recipients"))->Fail(L"ResolveAll", E_ACCESSDENIED);
    });
    try
    {
        Send(true);
        FAIL() << "no failure";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(E_ACCESSDENIED, e.Error());
        EXPECT_EQ(std::wstring(L"COM exception thrown (Context:COutlookEmailSender::SendEmail(Recipients.ResolveAl))"
                               L" - Error description was not available"),
                  static_cast<const wchar_t*>(e.Description()));
    }

    // Items.Add that gives something other than a mail item.
    const CFakeCollectionPtr items = FakeCollectionOf(m_Outlook.DefaultFolder(4)->Value(L"Items"));
    const CFakeOutlook* outlook = &m_Outlook;
    items->SetMethod(L"Add", [outlook](const CFakeObject::Arguments&) {
        return _variant_t(static_cast<IDispatch*>(outlook->NewObject(L"PostItem")));
    });
    m_Message.m_Attachments = {Attachment("NumberList_0c0d.txt", "1\r\n")};
    EXPECT_EQ(L"COM exception thrown (Context:COutlookEmailSender::SendEmail(Create NewMail)) - Error description "
              L"was not available",
              FailingSend(E_NOINTERFACE));
    EXPECT_TRUE(m_Temp.Files().empty());
}
} // namespace
