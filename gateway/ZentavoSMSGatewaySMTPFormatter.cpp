#include "gateway/ZentavoSMSGatewaySMTPFormatter.h"

#include "core/ErrorReports.h"
#include "core/StringUtils.h"
#include "core/ZentavoSMSSecurity.h"
#include "core/GatewayAddresses.h"
#include "gateway/TemporaryFiles.h"
#include "gateway/ZentavoSubmissionXMLGenerator.h"

#include <fstream>

namespace
{
const char kBulkLocalPart[] = "bulksend";
const char kMultipleRecipientsSubject[] = "Message to multiple recipients";
const char kEndOfMessage[] = "\r[EndOfMessage]\n\n";
// Above this many recipients the number list holds numbers only.
const std::size_t kMaxNamedNumberListEntries = 200;
const std::uint32_t kStandardMaxToRecipients = 5;

// Writes the text to a new file (created or truncated, text mode: every LF
// goes out as CR LF). A failure shows as the stream failure at the close.
void WriteTextFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path.c_str(), std::ios::out | std::ios::trunc);
    file << text;
    file.exceptions(std::ios::failbit | std::ios::badbit);
    file.close();
}

// A name on a number-list line: its double quotes removed, and line breaks
// and other control characters made blanks, so a name can never start a
// line of its own that would read as another number.
std::string NumberListName(const std::string& name)
{
    std::string cleaned;
    for (char c : name)
    {
        if (c == '"')
            continue;
        cleaned += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? ' ' : c;
    }
    return cleaned;
}
} // namespace

CZentavoSMSGatewaySMTPFormatter_Base::CZentavoSMSGatewaySMTPFormatter_Base(std::uint32_t maxToRecipients)
    : m_MaxToRecipients(maxToRecipients)
{
}

CZentavoSMSGatewaySMTPFormatter_Base::~CZentavoSMSGatewaySMTPFormatter_Base() = default;

std::string CZentavoSMSGatewaySMTPFormatter_Base::FilterAddressCharacters(const std::string& text)
{
    std::string kept;
    for (char c : text)
    {
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '^' || c == '_')
            kept += c;
    }
    return kept;
}

std::string CZentavoSMSGatewaySMTPFormatter_Base::BuildRecipientAddress(const std::string& number,
                                                                        const std::string& displayName,
                                                                        bool includeCredentials) const
{
    std::string local = FilterAddressCharacters(number);
    if (includeCredentials && m_AuthMode == 1 && (!m_AccessKey.empty() || !m_SecretKey.empty()))
        local += "." + m_AccessKey + "." + m_SecretKey;
    return FormatEmailAddress(local + "@" + GetGatewayMailDomain(), displayName);
}

void CZentavoSMSGatewaySMTPFormatter_Base::BuildToList(CEmailMessage& message, const CSMSContactVector& recipients,
                                                       bool includeCredentials, bool useBulkAddress) const
{
    message.m_To.clear();
    if (useBulkAddress)
    {
        message.m_To.push_back(BuildRecipientAddress(kBulkLocalPart, std::string(), includeCredentials));
        return;
    }
    for (const CSMSContact& recipient : recipients)
        message.m_To.push_back(BuildRecipientAddress(recipient.m_Number, recipient.m_Name, includeCredentials));
}

std::string CZentavoSMSGatewaySMTPFormatter_Base::BuildSubjectText(const CSMSContactVector& recipients)
{
    if (recipients.size() == 1)
        return "Message to " + recipients.front().m_Number;
    return kMultipleRecipientsSubject;
}

void CZentavoSMSGatewaySMTPFormatter_Base::GenerateEncyptedFields(std::string& sKey, std::string& auth) const
{
    const CZentavoSMSSecurity security;
    sKey = security.GenerateSKey();
    switch (m_AuthMode)
    {
    case 2:
        auth = security.GenerateUsernamePasswordAuthDigest(m_AccessKey, m_SecretKey, sKey);
        break;
    case 4:
        auth = security.GenerateCorporateKeyAuthDigest(m_MasterKey, sKey);
        break;
    default:
        ThrowCOMError(E_FAIL, L"CZentavoSMSGatewaySMTPFormatter_Base::GenerateEncyptedFields - Called with invalid "
                              L"m_AuthMode value");
    }
}

CZentavoSMSGatewaySMTPFormatter_StandardMode::CZentavoSMSGatewaySMTPFormatter_StandardMode()
    : CZentavoSMSGatewaySMTPFormatter_Base(kStandardMaxToRecipients)
{
}

bool CZentavoSMSGatewaySMTPFormatter_StandardMode::Format(CEmailMessage& message,
                                                          const CSMSContactVector& recipients,
                                                          const std::string& senderId, std::uint32_t senderType,
                                                          const std::string& messageText, std::uint32_t maxConCat,
                                                          const std::string&, const SYSTEMTIME&, std::uint32_t,
                                                          std::uint32_t)
{
    const bool bulk = recipients.size() > m_MaxToRecipients;
    BuildToList(message, recipients, true, bulk);

    std::string sender;
    if (senderType == 2)
        sender = " From:<Replyable>";
    else if (senderType == 3)
        sender = " From:<UseAccountSettings>";
    else
        sender = " From:" + senderId;
    message.m_Subject =
        BuildSubjectText(recipients) + "   [" + sender + " MaxConCat:" + std::to_string(maxConCat) + " ]";
    message.m_Body = messageText + kEndOfMessage;

    if (bulk)
    {
        CEmailAttachment list;
        list.m_FilePath = CZentavoSMSGatewaySMTPFormatter_Common::GenerateNumberListFile(recipients, list.m_DisplayName);
        CTemporaryFiles files;
        files.Add(list.m_FilePath);
        message.m_Attachments.push_back(list);
        files.Release();
    }
    return true;
}

CZentavoSMSGatewaySMTPFormatter_XMLSubmission::CZentavoSMSGatewaySMTPFormatter_XMLSubmission()
    : CZentavoSMSGatewaySMTPFormatter_Base(0)
{
}

bool CZentavoSMSGatewaySMTPFormatter_XMLSubmission::Format(CEmailMessage& message,
                                                           const CSMSContactVector& recipients,
                                                           const std::string& senderId, std::uint32_t senderType,
                                                           const std::string& messageText, std::uint32_t maxConCat,
                                                           const std::string& userContext,
                                                           const SYSTEMTIME& schedule,
                                                           std::uint32_t deliveryReportSetting,
                                                           std::uint32_t deliveryReportStatusMask)
{
    const bool bulk = recipients.size() > m_MaxToRecipients;
    CTemporaryFiles files;

    CEmailAttachment list;
    if (bulk)
    {
        list.m_FilePath = CZentavoSMSGatewaySMTPFormatter_Common::GenerateNumberListFile(recipients, list.m_DisplayName);
        files.Add(list.m_FilePath);
    }
    CEmailAttachment document;
    document.m_FilePath =
        WriteSubmissionXMLFile(bulk, list.m_DisplayName, senderId, senderType, messageText, maxConCat, userContext,
                               schedule, deliveryReportSetting, deliveryReportStatusMask, document.m_DisplayName);
    files.Add(document.m_FilePath);

    BuildToList(message, recipients, false, bulk);
    message.m_Subject = BuildSubjectText(recipients);
    message.m_Body = messageText;
    message.m_Attachments.push_back(document);
    if (bulk)
        message.m_Attachments.push_back(list);
    files.Release();
    return true;
}

std::string CZentavoSMSGatewaySMTPFormatter_XMLSubmission::BuildSubmissionXML(
    bool useNumberList, const std::string& numberListName, const std::string& senderId, std::uint32_t senderType,
    const std::string& messageText, std::uint32_t maxConCat, const std::string& userContext,
    const SYSTEMTIME& schedule, std::uint32_t deliveryReportSetting, std::uint32_t deliveryReportStatusMask) const
{
    std::string document;
    CZentavoSubmissionXMLGenerator::AddDocumentStart(document);

    std::string sKey;
    std::string auth;
    GenerateEncyptedFields(sKey, auth);
    const std::string username = m_AuthMode == 2 ? m_AccessKey : std::string();
    CZentavoSubmissionXMLGenerator::AddAuthentication(document, m_AuthMode, username, sKey, auth);

    CZentavoSubmissionXMLGenerator::AddMessageHeader(document, useNumberList, numberListName, senderId, senderType,
                                                     maxConCat, userContext, schedule, deliveryReportSetting,
                                                     deliveryReportStatusMask);
    CZentavoSubmissionXMLGenerator::AddMessageBody(document, messageText);
    CZentavoSubmissionXMLGenerator::AddDocumentEnd(document);
    return document;
}

std::string CZentavoSMSGatewaySMTPFormatter_XMLSubmission::WriteSubmissionXMLFile(
    bool useNumberList, const std::string& numberListName, const std::string& senderId, std::uint32_t senderType,
    const std::string& messageText, std::uint32_t maxConCat, const std::string& userContext,
    const SYSTEMTIME& schedule, std::uint32_t deliveryReportSetting, std::uint32_t deliveryReportStatusMask,
    std::string& displayName) const
{
    const std::string name = CTemporaryFiles::MakeTickCountName("Submission_", ".xml");
    const std::string path =
        CTemporaryFiles::MakePath(name, "CZentavoSMSGatewaySMTPFormatter_XMLSubmission::WriteSubmissionXMLFile");
    const std::string document =
        BuildSubmissionXML(useNumberList, numberListName, senderId, senderType, messageText, maxConCat, userContext,
                           schedule, deliveryReportSetting, deliveryReportStatusMask);

    CTemporaryFiles files;
    files.Add(path);
    WriteTextFile(path, document);
    files.Release();
    displayName = name;
    return path;
}

CZentavoSMSGatewaySMTPFormatter_Common::~CZentavoSMSGatewaySMTPFormatter_Common() = default;

std::string CZentavoSMSGatewaySMTPFormatter_Common::GenerateNumberListFile(const CSMSContactVector& recipients,
                                                                           std::string& displayName)
{
    const std::string name = CTemporaryFiles::MakeTickCountName("NumberList_", ".txt");
    const std::string path =
        CTemporaryFiles::MakePath(name, "CZentavoSMSGatewaySMTPFormatter_Common::GenerateNumberListFile");

    const bool withNames = recipients.size() <= kMaxNamedNumberListEntries;
    std::string text;
    for (const CSMSContact& recipient : recipients)
    {
        text += ExtractDigits(recipient.m_Number);
        if (withNames)
        {
            const std::string listed = NumberListName(recipient.m_Name);
            const std::string trimmed = Trim(listed);
            if (!trimmed.empty() && trimmed != recipient.m_Number)
                text += " \"" + listed + "\"";
        }
        text += '\n';
    }

    CTemporaryFiles files;
    files.Add(path);
    WriteTextFile(path, text);
    files.Release();
    displayName = name;
    return path;
}
