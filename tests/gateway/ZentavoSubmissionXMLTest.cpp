#include "gateway/ZentavoSubmissionXMLGenerator.h"

#include "core/ZentavoSMSSecurity.h"
#include "gateway/ZentavoSMSGatewaySMTPFormatter.h"
#include "tests/gateway/EmailTestSupport.h"

#include <gtest/gtest.h>

#include <regex>

namespace
{
// Digests written here were computed with Python's hashlib and base64 from
// the salts of the e-mail interface:
//   inner("Ann.Lee", "S3cret!") = b64(sha1("ua#KRmp" "ann.lee" "pF719c" "s3cret!" "z5nqr#8"))
//   mode 2 for SKey 25020309050700042123 = "A" b64(sha1("q7m3x9ke" inner SKey "k#81w6"))
//   mode 4 for master key CorpKey-77     = "A" b64(sha1("q7m3x9ke" "CorpKey-77" SKey "k#81w6"))
const char kInnerDigest[] = "PGgGBqgO6PJnYFbYdtcjoDUU2E8=";
const char kFixedSKey[] = "25020309050700042123";
const char kMode2Digest[] = "AOY7geuVmKv1IsO0bNpFngQIBPmc=";
const char kMode4Digest[] = "A/vChcFqUJp+cm049cAeHNS2YTz8=";

SYSTEMTIME Schedule(WORD year, WORD month, WORD day, WORD hour, WORD minute)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    return time;
}

std::string Header(bool useNumberList, const std::string& senderId, std::uint32_t senderType,
                   const std::string& userContext, std::uint32_t setting, std::uint32_t mask,
                   const SYSTEMTIME& schedule = SYSTEMTIME())
{
    std::string text;
    CZentavoSubmissionXMLGenerator::AddMessageHeader(text, useNumberList, "NumberList_00ff.txt", senderId, senderType,
                                                     3, userContext, schedule, setting, mask);
    return text;
}

TEST(SubmissionXMLGenerator, TheWholeDocumentLineByLine)
{
    std::string document;
    CZentavoSubmissionXMLGenerator::AddDocumentStart(document);
    CZentavoSubmissionXMLGenerator::AddAuthentication(document, 2, "ann.lee", kFixedSKey, kMode2Digest);
    CZentavoSubmissionXMLGenerator::AddMessageHeader(document, true, "NumberList_00ff.txt", "Zentavo", 1, 3, "a&b",
                                                     SYSTEMTIME(), 2, 5);
    CZentavoSubmissionXMLGenerator::AddMessageBody(document, "Hi <there> & you");
    CZentavoSubmissionXMLGenerator::AddDocumentEnd(document);

    EXPECT_EQ("<ZentavoSubmission>\r\n"
              "<Version>1.0</Version>\r\n"
              "<Generator>\r\n"
              "<AppName>OLAddin</AppName>\r\n"
              "<AppVer>5.0.1</AppVer>\r\n"
              "</Generator>\r\n"
              "<Authentication>\r\n"
              "<AuthMode>2</AuthMode>\r\n"
              "<Username>ann.lee</Username>\r\n"
              "<SubmissionKey>25020309050700042123</SubmissionKey>\r\n"
              "<AuthHash>AOY7geuVmKv1IsO0bNpFngQIBPmc=</AuthHash>\r\n"
              "</Authentication>\r\n"
              "<MessageHeader>\r\n"
              "<Recipients>\r\n"
              "<ExternalSource>\r\n"
              "<EmailAttachment filename=\"NumberList_00ff.txt\" />\r\n"
              "</ExternalSource>\r\n"
              "</Recipients>\r\n"
              "<MaxConCat>3</MaxConCat>\r\n"
              "<OA>Zentavo</OA>\r\n"
              "<UserContext>a&amp;b</UserContext>\r\n"
              "<ReportingSettings>\r\n"
              "<RoutingType>MsgSource</RoutingType>\r\n"
              "<RequiredMessageStatus>MessageSent|DeliveryFailure</RequiredMessageStatus>\r\n"
              "</ReportingSettings>\r\n"
              "</MessageHeader>\r\n"
              "<MessageBody>\r\n"
              "<Content contentType=\"text/plain\" contentTransferEncoding=\"base64\" >\r\n"
              "SGkgPHRoZXJlPiAmIHlvdQ==\r\n"
              "</Content>\r\n"
              "</MessageBody>\r\n"
              "</ZentavoSubmission>\r\n",
              document);
}

TEST(SubmissionXMLGenerator, OptionalBlocks)
{
    // Without a number list the gateway reads the To field.
    EXPECT_EQ(0u, Header(false, "Zentavo", 1, "", 0, 0)
                      .find("<MessageHeader>\r\n<Recipients>\r\n<ExternalSource>\r\n<EmailField field=\"To\" />\r\n"
                            "</ExternalSource>\r\n</Recipients>\r\n<MaxConCat>3</MaxConCat>\r\n<OA>Zentavo</OA>\r\n"
                            "</MessageHeader>\r\n"));

    EXPECT_NE(std::string::npos, Header(true, "x", 2, "", 0, 0).find("<OAType>Replyable</OAType>\r\n"));
    EXPECT_NE(std::string::npos, Header(true, "x", 3, "", 0, 0).find("<OAType>UseAccountSettings</OAType>\r\n"));
    EXPECT_NE(std::string::npos, Header(true, "", 1, "", 0, 0).find("<OA></OA>\r\n"));
    EXPECT_NE(std::string::npos, Header(true, "Id", 0, "", 0, 0).find("<OA>Id</OA>\r\n"));
    EXPECT_NE(std::string::npos, Header(true, "Id", 4, "", 0, 0).find("<OA>Id</OA>\r\n"));
    EXPECT_EQ(std::string::npos, Header(true, "x", 2, "", 0, 0).find("<OA>"));

    EXPECT_EQ("None", ElementText(Header(true, "x", 1, "", 1, 15), "RequiredMessageStatus"));
    EXPECT_EQ("MessageSent|DeliverySuccess|DeliveryFailure|MessageExpired",
              ElementText(Header(true, "x", 1, "", 2, 15), "RequiredMessageStatus"));
    EXPECT_EQ("None", ElementText(Header(true, "x", 1, "", 2, 16), "RequiredMessageStatus"));
    for (std::uint32_t setting : {0u, 3u, 4u})
        EXPECT_EQ(std::string::npos, Header(true, "x", 1, "", setting, 15).find("ReportingSettings"));
    EXPECT_EQ(std::string::npos, Header(true, "x", 1, "", 0, 0).find("UserContext"));

    EXPECT_EQ(std::string::npos, Header(true, "x", 1, "", 0, 0).find("ScheduleAction"));
    const std::string scheduled = Header(true, "x", 1, "", 0, 0, Schedule(2025, 3, 5, 9, 7));
    EXPECT_TRUE(std::regex_match(ElementText(scheduled, "StartAt"),
                                 std::regex("2025-03-05T09:07:00[+-][0-9]{2}:[0-9]{2}")))
        << scheduled;
    EXPECT_NE(std::string::npos, scheduled.find("<ScheduleAction>\r\n<StartAt>2025"));
    EXPECT_NE(std::string::npos, scheduled.find("</StartAt>\r\n</ScheduleAction>\r\n</MessageHeader>\r\n"));

    std::string body;
    CZentavoSubmissionXMLGenerator::AddMessageBody(body, "");
    EXPECT_EQ("<MessageBody>\r\n<Content contentType=\"text/plain\" contentTransferEncoding=\"base64\" >\r\n\r\n"
              "</Content>\r\n</MessageBody>\r\n",
              body);

    std::string authentication;
    CZentavoSubmissionXMLGenerator::AddAuthentication(authentication, 4, "", kFixedSKey, kMode4Digest);
    EXPECT_EQ(std::string::npos, authentication.find("Username"));
}

class SubmissionXMLDocumentTest : public ::testing::Test
{
protected:
    std::string Build(std::uint32_t authMode)
    {
        m_Formatter.m_AuthMode = authMode;
        return m_Formatter.BuildSubmissionXML(false, "", "Zentavo", 1, "Hello", 2, "", SYSTEMTIME(), 0, 0);
    }

    CZentavoSMSGatewaySMTPFormatter_XMLSubmission m_Formatter;
};

TEST_F(SubmissionXMLDocumentTest, TheTestsSha1AgreesWithPython)
{
    EXPECT_EQ("qZk+NkcGgWq6PiVxeFDCbJzQ2J0=", CryptoApiSha1Base64("abc"));
    EXPECT_EQ(kInnerDigest, CryptoApiSha1Base64("ua#KRmpann.leepF719cs3cret!z5nqr#8"));
    const CZentavoSMSSecurity security;
    EXPECT_EQ(kMode2Digest, security.GenerateUsernamePasswordAuthDigest("Ann.Lee", "S3cret!", kFixedSKey));
    EXPECT_EQ(kMode4Digest, security.GenerateCorporateKeyAuthDigest("CorpKey-77", kFixedSKey));
}

TEST_F(SubmissionXMLDocumentTest, EncryptedPasswordModeDigestsTheKeysWithAFreshSKey)
{
    m_Formatter.m_AccessKey = "Ann.Lee";
    m_Formatter.m_SecretKey = "S3cret!";
    const std::string first = Build(2);
    const std::string second = Build(2);

    EXPECT_EQ("2", ElementText(first, "AuthMode"));
    EXPECT_EQ("Ann.Lee", ElementText(first, "Username"));
    const std::string sKey = ElementText(first, "SubmissionKey");
    EXPECT_TRUE(std::regex_match(sKey, std::regex("[0-9]{20,}"))) << sKey;
    EXPECT_NE(sKey, ElementText(second, "SubmissionKey"));
    EXPECT_EQ("A" + CryptoApiSha1Base64(std::string("q7m3x9ke") + kInnerDigest + sKey + "k#81w6"),
              ElementText(first, "AuthHash"));

    m_Formatter.m_AccessKey.clear();
    EXPECT_EQ(std::string::npos, Build(2).find("<Username>"));
}

TEST_F(SubmissionXMLDocumentTest, CorporateKeyModeDigestsTheMasterKey)
{
    m_Formatter.m_AccessKey = "Ann.Lee";
    m_Formatter.m_MasterKey = "CorpKey-77";
    const std::string document = Build(4);

    EXPECT_EQ("4", ElementText(document, "AuthMode"));
    EXPECT_EQ(std::string::npos, document.find("<Username>"));
    const std::string sKey = ElementText(document, "SubmissionKey");
    EXPECT_EQ("A" + CryptoApiSha1Base64("q7m3x9keCorpKey-77" + sKey + "k#81w6"), ElementText(document, "AuthHash"));
    EXPECT_NE(std::string::npos, document.find(" >\r\nSGVsbG8=\r\n</Content>\r\n"));
}

TEST_F(SubmissionXMLDocumentTest, TheFileCarriesTheDocumentInTextMode)
{
    CPrivateTempFolder temp;
    m_Formatter.m_AuthMode = 4;
    m_Formatter.m_MasterKey = "CorpKey-77";
    std::string name;
    const std::string path = m_Formatter.WriteSubmissionXMLFile(true, "NumberList_0001.txt", "Zentavo", 2, "Hi", 1,
                                                                "ctx", SYSTEMTIME(), 1, 0, name);

    EXPECT_TRUE(std::regex_match(name, std::regex("Submission_[0-9a-f]{4}\\.xml")));
    EXPECT_EQ(temp.Path() + "\\\\" + name, path);
    const std::string bytes = ReadFileBytes(path);
    // Each CR LF of the document reaches the file as CR CR LF.
    EXPECT_EQ(0u, bytes.find("<ZentavoSubmission>\r\r\n<Version>1.0</Version>\r\r\n"));
    EXPECT_EQ(bytes.size() - 23, bytes.find("</ZentavoSubmission>\r\r\n"));
    EXPECT_FALSE(std::regex_search(bytes, std::regex("[^\r]\r\n")));
    EXPECT_NE(std::string::npos, bytes.find("<EmailAttachment filename=\"NumberList_0001.txt\" />\r\r\n"));
    EXPECT_NE(std::string::npos, bytes.find("<OAType>Replyable</OAType>"));
    EXPECT_NE(std::string::npos, bytes.find("<RequiredMessageStatus>None</RequiredMessageStatus>"));
    ::DeleteFileA(path.c_str());
}
} // namespace
