// The gateway's e-mail interface: a submission written as an e-mail to the
// gateway's mail domain. The standard format carries the sender and part
// limit in the subject and the text in the body; the XML format (auth modes
// 2 and 4) attaches an XML submission document with a salted digest of the
// credentials. More recipients than an e-mail's To field should carry go
// into an attached number list.
//
// Files a formatter writes are in the user's temporary folder and named in
// m_Attachments; whoever sends the message deletes them (CTemporaryFiles).
// When Format fails it leaves no file behind.
#pragma once

#include "contacts/SMSContact.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct CEmailAttachment
{
    std::string m_FilePath;     // full path of the file to attach
    std::string m_DisplayName;  // the name the attachment shows
};

struct CEmailMessage
{
    std::vector<std::string> m_To;  // one address text per entry, in recipient order
    std::string m_Subject;
    std::string m_Body;
    std::vector<CEmailAttachment> m_Attachments;
};

class CZentavoSMSGatewaySMTPFormatter_Base
{
public:
    explicit CZentavoSMSGatewaySMTPFormatter_Base(std::uint32_t maxToRecipients);
    virtual ~CZentavoSMSGatewaySMTPFormatter_Base();
    CZentavoSMSGatewaySMTPFormatter_Base(const CZentavoSMSGatewaySMTPFormatter_Base&) = delete;
    CZentavoSMSGatewaySMTPFormatter_Base& operator=(const CZentavoSMSGatewaySMTPFormatter_Base&) = delete;

    // Fills the message, which the caller passes empty. Returns true. File
    // failures raise the stream failure (std::ios_base::failure), a missing
    // temporary folder CGeneralException.
    virtual bool Format(CEmailMessage& message, const CSMSContactVector& recipients, const std::string& senderId,
                        std::uint32_t senderType, const std::string& messageText, std::uint32_t maxConCat,
                        const std::string& userContext, const SYSTEMTIME& schedule,
                        std::uint32_t deliveryReportSetting, std::uint32_t deliveryReportStatusMask) = 0;

    // One address per recipient, or the single bulk address.
    void BuildToList(CEmailMessage& message, const CSMSContactVector& recipients, bool includeCredentials,
                     bool useBulkAddress) const;
    // The number's address characters at the gateway's mail domain, with
    // ".access.secret" in auth mode 1 when credentials are to be included
    // and either key is set; "name" <address> when there is a name.
    std::string BuildRecipientAddress(const std::string& number, const std::string& displayName,
                                      bool includeCredentials) const;
    // Keeps 0-9, A-Z, a-z, '^' and '_'.
    static std::string FilterAddressCharacters(const std::string& text);
    // "Message to " and the number of a single recipient, else "Message to
    // multiple recipients".
    static std::string BuildSubjectText(const CSMSContactVector& recipients);
    // A new SKey and the auth digest of modes 2 and 4; any other mode raises
    // _com_error E_FAIL.
    void GenerateEncyptedFields(std::string& sKey, std::string& auth) const;

    // With more recipients than this, they travel in a number list.
    std::uint32_t m_MaxToRecipients;
    std::uint32_t m_AuthMode = 0;
    std::string m_AccessKey;
    std::string m_SecretKey;
    std::string m_MasterKey;
};

class CZentavoSMSGatewaySMTPFormatter_StandardMode : public CZentavoSMSGatewaySMTPFormatter_Base
{
public:
    CZentavoSMSGatewaySMTPFormatter_StandardMode();

    // Uses the recipients, sender, text and part limit only.
    bool Format(CEmailMessage& message, const CSMSContactVector& recipients, const std::string& senderId,
                std::uint32_t senderType, const std::string& messageText, std::uint32_t maxConCat,
                const std::string& userContext, const SYSTEMTIME& schedule, std::uint32_t deliveryReportSetting,
                std::uint32_t deliveryReportStatusMask) override;
};

class CZentavoSMSGatewaySMTPFormatter_XMLSubmission : public CZentavoSMSGatewaySMTPFormatter_Base
{
public:
    CZentavoSMSGatewaySMTPFormatter_XMLSubmission();

    bool Format(CEmailMessage& message, const CSMSContactVector& recipients, const std::string& senderId,
                std::uint32_t senderType, const std::string& messageText, std::uint32_t maxConCat,
                const std::string& userContext, const SYSTEMTIME& schedule, std::uint32_t deliveryReportSetting,
                std::uint32_t deliveryReportStatusMask) override;

    // The XML submission document, with a fresh SKey and digest.
    std::string BuildSubmissionXML(bool useNumberList, const std::string& numberListName,
                                   const std::string& senderId, std::uint32_t senderType,
                                   const std::string& messageText, std::uint32_t maxConCat,
                                   const std::string& userContext, const SYSTEMTIME& schedule,
                                   std::uint32_t deliveryReportSetting, std::uint32_t deliveryReportStatusMask) const;
    // Writes the document to "Submission_xxxx.xml" in the temporary folder;
    // returns the path, the file name through displayName. Leaves no file
    // when it fails.
    std::string WriteSubmissionXMLFile(bool useNumberList, const std::string& numberListName,
                                       const std::string& senderId, std::uint32_t senderType,
                                       const std::string& messageText, std::uint32_t maxConCat,
                                       const std::string& userContext, const SYSTEMTIME& schedule,
                                       std::uint32_t deliveryReportSetting, std::uint32_t deliveryReportStatusMask,
                                       std::string& displayName) const;
};

class CZentavoSMSGatewaySMTPFormatter_Common
{
public:
    virtual ~CZentavoSMSGatewaySMTPFormatter_Common();

    // Writes "NumberList_xxxx.txt" in the temporary folder: one line per
    // recipient, the number's digits and, for at most 200 recipients, the
    // name in double quotes. Returns the path, the file name through
    // displayName. Leaves no file when it fails.
    static std::string GenerateNumberListFile(const CSMSContactVector& recipients, std::string& displayName);
};
