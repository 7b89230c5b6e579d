#include "gateway/ZentavoSMSGatewaySMTPFormatter.h"

#include "core/Exceptions.h"
#include "core/GatewayAddresses.h"
#include "platform/ComPtr.h"
#include "tests/gateway/EmailTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ios>
#include <regex>

namespace
{
SYSTEMTIME NoSchedule()
{
    SYSTEMTIME time = {};
    return time;
}

class SMTPFormatterTest : public ::testing::Test
{
protected:
    std::string At(const std::string& local) const { return local + "@" + GetGatewayMailDomain(); }

    void FormatStandard(const CSMSContactVector& recipients, std::uint32_t senderType = 1,
                        const std::string& senderId = "Zentavo", std::uint32_t maxConCat = 3)
    {
        m_Standard.Format(m_Message, recipients, senderId, senderType, "Hello there", maxConCat, "ctx",
                          NoSchedule(), 2, 5);
    }

    CPrivateTempFolder m_Temp;
    CZentavoSMSGatewaySMTPFormatter_StandardMode m_Standard;
    CZentavoSMSGatewaySMTPFormatter_XMLSubmission m_XML;
    CEmailMessage m_Message;
};

TEST_F(SMTPFormatterTest, AddressesKeepOnlyAddressCharactersOfTheNumber)
{
    EXPECT_EQ("4407700900123^a_Z", CZentavoSMSGatewaySMTPFormatter_Base::FilterAddressCharacters(
                                        "+44 (0)7700-900.123^a_Z!\"<>@,;\t\xe9"));
    EXPECT_EQ("", CZentavoSMSGatewaySMTPFormatter_Base::FilterAddressCharacters(""));

    m_Standard.m_AuthMode = 5;
    EXPECT_EQ("\"Ann \\\"Al\\\" Lee\" <" + At("447700900123") + ">",
              m_Standard.BuildRecipientAddress("+44 7700-900123", "  Ann \"Al\" Lee ", true));
    EXPECT_EQ(At("123"), m_Standard.BuildRecipientAddress("123", "   ", true));
}

TEST_F(SMTPFormatterTest, PlainPasswordModeCarriesTheKeysInTheLocalPart)
{
    m_Standard.m_AuthMode = 1;
    m_Standard.m_AccessKey = "ab";
    m_Standard.m_SecretKey = "cd";
    EXPECT_EQ(At("123.ab.cd"), m_Standard.BuildRecipientAddress("123", "", true));
    EXPECT_EQ(At("123"), m_Standard.BuildRecipientAddress("123", "", false));
    m_Standard.m_SecretKey.clear();
    EXPECT_EQ(At("123.ab."), m_Standard.BuildRecipientAddress("123", "", true));
    m_Standard.m_AccessKey.clear();
    EXPECT_EQ(At("123"), m_Standard.BuildRecipientAddress("123", "", true));

    m_Standard.m_AuthMode = 5;
    m_Standard.m_AccessKey = "ab";
    m_Standard.m_SecretKey = "cd";
    EXPECT_EQ(At("123"), m_Standard.BuildRecipientAddress("123", "", true));
}

TEST_F(SMTPFormatterTest, StandardFormatForOneRecipient)
{
    m_Standard.m_AuthMode = 5;
    FormatStandard({CSMSContact("Reception", "+44 7700-900123")});

    ASSERT_EQ(1u, m_Message.m_To.size());
    EXPECT_EQ("\"Reception\" <" + At("447700900123") + ">", m_Message.m_To[0]);
    EXPECT_EQ("Message to +44 7700-900123   [ From:Zentavo MaxConCat:3 ]", m_Message.m_Subject);
    EXPECT_EQ("Hello there\r[EndOfMessage]\n\n", m_Message.m_Body);
    EXPECT_TRUE(m_Message.m_Attachments.empty());
    EXPECT_TRUE(m_Temp.Files().empty());
}

TEST_F(SMTPFormatterTest, StandardFormatSenderPartBySenderType)
{
    const CSMSContactVector two = NumberedContacts(2);
    FormatStandard(two, 2, "ignored", 1);
    EXPECT_EQ("Message to multiple recipients   [ From:<Replyable> MaxConCat:1 ]", m_Message.m_Subject);
    FormatStandard(two, 3, "ignored", 4);
    EXPECT_EQ("Message to multiple recipients   [ From:<UseAccountSettings> MaxConCat:4 ]", m_Message.m_Subject);
    FormatStandard(two, 7, "Other", 2);
    EXPECT_EQ("Message to multiple recipients   [ From:Other MaxConCat:2 ]", m_Message.m_Subject);
    EXPECT_EQ(2u, m_Message.m_To.size());
}

TEST_F(SMTPFormatterTest, StandardFormatSendsMoreThanFiveRecipientsAsANumberList)
{
    m_Standard.m_AuthMode = 5;
    FormatStandard(NumberedContacts(5));
    EXPECT_EQ(5u, m_Message.m_To.size());
    EXPECT_TRUE(m_Message.m_Attachments.empty());

    m_Message = CEmailMessage();
    m_Standard.m_AuthMode = 1;
    m_Standard.m_AccessKey = "ab";
    m_Standard.m_SecretKey = "cd";
    FormatStandard(NumberedContacts(6));
    ASSERT_EQ(1u, m_Message.m_To.size());
    EXPECT_EQ(At("bulksend.ab.cd"), m_Message.m_To[0]);
    EXPECT_EQ("Message to multiple recipients   [ From:Zentavo MaxConCat:3 ]", m_Message.m_Subject);
    ASSERT_EQ(1u, m_Message.m_Attachments.size());
    const CEmailAttachment& list = m_Message.m_Attachments[0];
    EXPECT_TRUE(std::regex_match(list.m_DisplayName, std::regex("NumberList_[0-9a-f]{4}\\.txt")));
    EXPECT_EQ(m_Temp.Path() + "\\\\" + list.m_DisplayName, list.m_FilePath);
    EXPECT_EQ("447700910000 \"Person 1\"\r\n447700910001 \"Person 2\"\r\n447700910002 \"Person 3\"\r\n"
              "447700910003 \"Person 4\"\r\n447700910004 \"Person 5\"\r\n447700910005 \"Person 6\"\r\n",
              ReadFileBytes(list.m_FilePath));
}

TEST_F(SMTPFormatterTest, NumberListNamesUpToTwoHundredRecipients)
{
    CSMSContactVector recipients = NumberedContacts(200);
    recipients[0].m_Name = "\" \"  \"";             // only quotes and blanks
    recipients[1].m_Name = recipients[1].m_Number;  // the number again
    recipients[2].m_Name = " Ann \"Al\" Lee ";      // quotes go, blanks stay
    recipients[3].m_Name = "Bob\r\n447700000000";   // a line break cannot add a number
    recipients[4].m_Name = "";

    std::string name;
    const std::string path = CZentavoSMSGatewaySMTPFormatter_Common::GenerateNumberListFile(recipients, name);
    const std::string text = ReadFileBytes(path);
    EXPECT_EQ(0u, text.find("447700910000\r\n447700910001\r\n447700910002 \" Ann Al Lee \"\r\n"
                            "447700910003 \"Bob  447700000000\"\r\n447700910004\r\n447700910005 \"Person 6\"\r\n"));
    EXPECT_EQ(200 * 2u, static_cast<size_t>(std::count(text.begin(), text.end(), '\r') +
                                            std::count(text.begin(), text.end(), '\n')));
    ::DeleteFileA(path.c_str());

    recipients.emplace_back("Person 201", "+1 (555) 0100");
    const std::string numbersOnly = CZentavoSMSGatewaySMTPFormatter_Common::GenerateNumberListFile(recipients, name);
    const std::string list = ReadFileBytes(numbersOnly);
    EXPECT_EQ(std::string::npos, list.find('"'));
    EXPECT_EQ(0u, list.find("447700910000\r\n447700910001\r\n"));
    const std::string ending = "447700910199\r\n15550100\r\n";
    EXPECT_EQ(list.size() - ending.size(), list.rfind(ending));
    ::DeleteFileA(numbersOnly.c_str());
}

TEST_F(SMTPFormatterTest, TemporaryFolderFailuresRaiseAndLeaveNothing)
{
    std::string name;
    // A folder name longer than any path: the lookup itself fails.
    CPrivateTempFolder::Point("C:\\" + std::string(300, 'x'));
    try
    {
        CZentavoSMSGatewaySMTPFormatter_Common::GenerateNumberListFile(NumberedContacts(1), name);
        FAIL() << "the number list was written";
    }
    catch (const CGeneralException& e)
    {
        EXPECT_EQ("CZentavoSMSGatewaySMTPFormatter_Common::GenerateNumberListFile - GetTempPath failed",
                  e.GetDescription());
    }

    // A folder that does not exist: the write fails at the close.
    CPrivateTempFolder::Point(m_Temp.Path() + "\\missing");
    EXPECT_THROW(CZentavoSMSGatewaySMTPFormatter_Common::GenerateNumberListFile(NumberedContacts(1), name),
                 std::ios_base::failure);
    m_XML.m_AuthMode = 4;
    EXPECT_THROW(m_XML.Format(m_Message, NumberedContacts(0), "", 1, "x", 1, "", NoSchedule(), 0, 0),
                 std::ios_base::failure);
    m_Temp.PointBack();
    EXPECT_TRUE(m_Temp.Files().empty());
}

TEST_F(SMTPFormatterTest, XMLFormatWithoutRecipientsAttachesTheDocumentOnly)
{
    m_XML.m_AuthMode = 4;
    m_XML.m_MasterKey = "CorpKey-77";
    m_XML.Format(m_Message, CSMSContactVector(), "Zentavo", 1, "Body <text>", 2, "", NoSchedule(), 0, 0);

    EXPECT_TRUE(m_Message.m_To.empty());
    EXPECT_EQ("Message to multiple recipients", m_Message.m_Subject);
    EXPECT_EQ("Body <text>", m_Message.m_Body);
    ASSERT_EQ(1u, m_Message.m_Attachments.size());
    const CEmailAttachment& document = m_Message.m_Attachments[0];
    EXPECT_TRUE(std::regex_match(document.m_DisplayName, std::regex("Submission_[0-9a-f]{4}\\.xml")));
    EXPECT_EQ(m_Temp.Path() + "\\\\" + document.m_DisplayName, document.m_FilePath);
    EXPECT_NE(std::string::npos, ReadFileBytes(document.m_FilePath).find("<EmailField field=\"To\" />"));
    EXPECT_EQ(1u, m_Temp.Files().size());
}

TEST_F(SMTPFormatterTest, XMLFormatSendsEveryRecipientInTheNumberList)
{
    m_XML.m_AuthMode = 2;
    m_XML.m_AccessKey = "ab";
    m_XML.m_SecretKey = "cd";
    m_XML.Format(m_Message, {CSMSContact("Ann", "+44 7700 900123")}, "Zentavo", 1, "Hi", 2, "", NoSchedule(), 0, 0);

    // The keys travel in the document's digest, never in the address.
    ASSERT_EQ(1u, m_Message.m_To.size());
    EXPECT_EQ(At("bulksend"), m_Message.m_To[0]);
    EXPECT_EQ("Message to +44 7700 900123", m_Message.m_Subject);
    EXPECT_EQ("Hi", m_Message.m_Body);
    ASSERT_EQ(2u, m_Message.m_Attachments.size());
    const CEmailAttachment& document = m_Message.m_Attachments[0];
    const CEmailAttachment& list = m_Message.m_Attachments[1];
    EXPECT_EQ(0u, document.m_DisplayName.find("Submission_"));
    EXPECT_EQ(0u, list.m_DisplayName.find("NumberList_"));
    EXPECT_NE(std::string::npos, ReadFileBytes(document.m_FilePath)
                                     .find("<EmailAttachment filename=\"" + list.m_DisplayName + "\" />"));
    EXPECT_EQ("447700900123 \"Ann\"\r\n", ReadFileBytes(list.m_FilePath));
}

TEST_F(SMTPFormatterTest, AFailedDocumentTakesTheNumberListWithIt)
{
    // The XML format in a mode without a digest: the document fails after
    // the number list was written.
    m_XML.m_AuthMode = 5;
    try
    {
        m_XML.Format(m_Message, NumberedContacts(3), "Zentavo", 1, "Hi", 1, "", NoSchedule(), 0, 0);
        FAIL() << "formatted without a digest";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(E_FAIL, e.Error());
        EXPECT_STREQ(L"CZentavoSMSGatewaySMTPFormatter_Base::GenerateEncyptedFields - Called with invalid "
                     L"m_AuthMode value",
                     static_cast<const wchar_t*>(e.Description()));
    }
    EXPECT_TRUE(m_Message.m_Attachments.empty());
    EXPECT_TRUE(m_Temp.Files().empty());
}
} // namespace
