#include "gateway/OutlookEmailSMS.h"

#include "gateway/OutlookEmailSender.h"
#include "gateway/TemporaryFiles.h"
#include "gateway/ZentavoSMSGatewaySMTPFormatter.h"
#include "platform/Dispatch.h"

#include <cstdio>

namespace
{
// From this many recipients the copy lists them in an attached number list.
const std::size_t kMinAttachedListRecipients = 30;
const char kSentItemSubject[] = "SMS Message Sent";

// "5 Mar 09:07": the day without leading zero, the month's abbreviation in
// the user's locale, the time of day. The year is not written.
std::string ScheduleText(const SYSTEMTIME& schedule)
{
    char month[32] = {};
    if (::GetDateFormatA(LOCALE_USER_DEFAULT, 0, &schedule, "MMM", month, sizeof(month)) == 0)
        month[0] = '\0';
    char text[64];
    std::snprintf(text, sizeof(text), "%u %s %02u:%02u", static_cast<unsigned>(schedule.wDay), month,
                  static_cast<unsigned>(schedule.wHour), static_cast<unsigned>(schedule.wMinute));
    return text;
}
} // namespace

std::string COutlookEmailSMS::BuildSentItemBody(const CZentavoSMSGatewaySubmission& submission,
                                                bool& attachNumberList, const std::string& note)
{
    std::string body = "To: ";
    attachNumberList = submission.m_Recipients.size() >= kMinAttachedListRecipients;
    if (attachNumberList)
    {
        body += "<See Attached List>";
    }
    else
    {
        for (const CSMSContact& recipient : submission.m_Recipients)
        {
            if (recipient.m_Name.empty())
                body += recipient.m_Number;
            else
                body += recipient.m_Name + " (" + recipient.m_Number + ")";
            body += "; ";
        }
    }

    if (!note.empty())
        body += "\nNote: " + note;
    body += "\nSender's Id: ";
    switch (submission.m_SenderType)
    {
    case sstUserDefined:
        body += submission.m_SenderId;
        break;
    case sstReplyable:
        body += "<Replyable>";
        break;
    case sstUseAccountSettings:
        body += "<Use Account Settings>";
        break;
    default:
        break;
    }

    if (submission.m_ScheduledTime.wDay != 0)
        body += "\nSent At: " + ScheduleText(submission.m_ScheduledTime);

    body += "\n\nMessage:\n" + submission.m_MessageText;
    return body;
}

void COutlookEmailSMS::StoreSubmissionInOutlookSentItem(IDispatchPtr outlookApplication,
                                                        const CZentavoSMSGatewaySubmission& submission,
                                                        const std::string& note)
{
    using OutlookMail::RunStep;

    IDispatchPtr nameSpace;
    RunStep("COutlookEmailSMS::StoreSubmissionInOutlookSentItem(Application.GetNamespace)",
            [&] { nameSpace = Dispatch::CallPtr(outlookApplication, L"GetNamespace", L"MAPI"); });

    bool attachNumberList = false;
    const std::string body = BuildSentItemBody(submission, attachNumberList, note);
    CTemporaryFiles files;
    CEmailAttachment numberList;
    if (attachNumberList)
    {
        numberList.m_FilePath =
            CZentavoSMSGatewaySMTPFormatter_Common::GenerateNumberListFile(submission.m_Recipients,
                                                                          numberList.m_DisplayName);
        files.Add(numberList.m_FilePath);
    }

    IDispatchPtr sentItems;
    IDispatchPtr mail;
    RunStep("COutlookEmailSMS::StoreSubmissionInOutlookSentItem(Create NewMail)", [&] {
        sentItems = Dispatch::CallPtr(nameSpace, L"GetDefaultFolder", OutlookMail::olFolderSentMail);
        mail = OutlookMail::CreateMailItem(sentItems, kSentItemSubject, body);
    });

    RunStep("COutlookEmailSMS::StoreSubmissionInOutlookSentItem(Add Attachments)", [&] {
        if (!attachNumberList)
            return;
        OutlookMail::AddAttachment(mail, numberList.m_FilePath, numberList.m_DisplayName);
        files.DeleteAll();
    });

    RunStep("COutlookEmailSMS::StoreSubmissionInOutlookSentItem(NewMail.Save)",
            [&] { Dispatch::Call(mail, L"Save"); });
    RunStep("COutlookEmailSMS::StoreSubmissionInOutlookSentItem(NewMail.Move)",
            [&] { Dispatch::Call(mail, L"Move", sentItems); });
    RunStep("COutlookEmailSMS::StoreSubmissionInOutlookSentItem(Namespace.Logoff)",
            [&] { Dispatch::Call(nameSpace, L"Logoff"); });
}
