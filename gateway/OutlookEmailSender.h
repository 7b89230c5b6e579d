// Sends an e-mail through Outlook's object model: a new mail item in the
// Outbox with subject, body, attachments and recipients, then Send. Runs on
// Outlook's user-interface thread.
#pragma once

#include "gateway/ZentavoSMSGatewaySMTPFormatter.h"
#include "platform/ComPtr.h"

#include <functional>
#include <string>
#include <vector>

namespace OutlookMail
{
// {00063034-0000-0000-C000-000000000046}
extern const IID IID_MailItem;
const long olFolderOutbox = 4;
const long olFolderSentMail = 5;
const long olByValue = 1;

// Runs one step of an Outlook operation. Whatever it raises comes out as a
// _com_error whose description names the context: a COM error keeps its
// HRESULT, anything else carries E_FAIL.
void RunStep(const std::string& context, const std::function<void()>& step);

// A new item of the folder as a mail item, with its subject and body set.
IDispatchPtr CreateMailItem(IDispatch* folder, const std::string& subject, const std::string& body);
// Attaches a copy of the file by value under the display name.
void AddAttachment(IDispatch* mail, const std::string& filePath, const std::string& displayName);
} // namespace OutlookMail

class COutlookEmailSender
{
public:
    virtual ~COutlookEmailSender();

    // outlookApplication is Outlook's Application object. With
    // deleteAttachmentFiles, every attachment file is gone when the call
    // returns or raises, attached or not. Failures raise _com_error with the
    // failing step's context ("COutlookEmailSender::SendEmail(...)").
    void SendEmail(IDispatchPtr outlookApplication, const CEmailMessage& message, bool resolveAllRecipients,
                   bool deleteAttachmentFiles);
    void SendEmail(IDispatchPtr outlookApplication, const std::vector<std::string>& to, const std::string& subject,
                   const std::string& body, bool resolveAllRecipients,
                   const std::vector<CEmailAttachment>& attachments, bool deleteAttachmentFiles);
};
