#include "gateway/OutlookEmailSender.h"

#include "core/ErrorReports.h"
#include "gateway/TemporaryFiles.h"
#include "platform/Dispatch.h"

namespace OutlookMail
{
const IID IID_MailItem = {0x00063034, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

void RunStep(const std::string& context, const std::function<void()>& step)
{
    try
    {
        step();
    }
    catch (...)
    {
        RethrowCurrentExceptionWithContext(context);
    }
}

IDispatchPtr CreateMailItem(IDispatch* folder, const std::string& subject, const std::string& body)
{
    const IDispatchPtr item = Dispatch::CallPtr(Dispatch::GetPtr(folder, L"Items"), L"Add");
    if (!item)
        throw _com_error(E_POINTER);
    IDispatchPtr mail;
    const HRESULT hr = item->QueryInterface(IID_MailItem, reinterpret_cast<void**>(&mail));
    if (FAILED(hr))
        throw _com_error(hr);
    Dispatch::Put(mail, L"Subject", subject);
    Dispatch::Put(mail, L"Body", body);
    return mail;
}

void AddAttachment(IDispatch* mail, const std::string& filePath, const std::string& displayName)
{
    Dispatch::Call(Dispatch::GetPtr(mail, L"Attachments"), L"Add", filePath, olByValue, Dispatch::Missing(),
                   displayName);
}
} // namespace OutlookMail

COutlookEmailSender::~COutlookEmailSender() = default;

void COutlookEmailSender::SendEmail(IDispatchPtr outlookApplication, const CEmailMessage& message,
                                    bool resolveAllRecipients, bool deleteAttachmentFiles)
{
    SendEmail(outlookApplication, message.m_To, message.m_Subject, message.m_Body, resolveAllRecipients,
              message.m_Attachments, deleteAttachmentFiles);
}

void COutlookEmailSender::SendEmail(IDispatchPtr outlookApplication, const std::vector<std::string>& to,
                                    const std::string& subject, const std::string& body, bool resolveAllRecipients,
                                    const std::vector<CEmailAttachment>& attachments, bool deleteAttachmentFiles)
{
    using OutlookMail::RunStep;

    // Deleted on every way out, not only after a successful attach.
    CTemporaryFiles files;
    if (deleteAttachmentFiles)
    {
        for (const CEmailAttachment& attachment : attachments)
            files.Add(attachment.m_FilePath);
    }

    IDispatchPtr nameSpace;
    RunStep("COutlookEmailSender::SendEmail(Application.GetNamespace)",
            [&] { nameSpace = Dispatch::CallPtr(outlookApplication, L"GetNamespace", L"MAPI"); });

    IDispatchPtr mail;
    RunStep("COutlookEmailSender::SendEmail(Create NewMail)", [&] {
        const IDispatchPtr outbox = Dispatch::CallPtr(nameSpace, L"GetDefaultFolder", OutlookMail::olFolderOutbox);
        mail = OutlookMail::CreateMailItem(outbox, subject, body);
    });

    RunStep("COutlookEmailSender::SendEmail(Add Attachments)", [&] {
        for (const CEmailAttachment& attachment : attachments)
        {
            OutlookMail::AddAttachment(mail, attachment.m_FilePath, attachment.m_DisplayName);
            if (deleteAttachmentFiles)
                ::DeleteFileA(attachment.m_FilePath.c_str());
        }
    });

    IDispatchPtr recipients;
    RunStep("COutlookEmailSender::SendEmail(Add Recipients)", [&] {
        recipients = Dispatch::GetPtr(mail, L"Recipients");
        for (const std::string& address : to)
            Dispatch::Call(recipients, L"Add", address);
    });

    RunStep("COutlookEmailSender::SendEmail(Recipients.ResolveAl)", [&] {
        if (resolveAllRecipients)
            Dispatch::Call(recipients, L"ResolveAll");
    });

    RunStep("COutlookEmailSender::SendEmail(NewMail.Send)", [&] { Dispatch::Call(mail, L"Send"); });

    RunStep("COutlookEmailSender::SendEmail(Namespace.Logoff)", [&] { Dispatch::Call(nameSpace, L"Logoff"); });
}
