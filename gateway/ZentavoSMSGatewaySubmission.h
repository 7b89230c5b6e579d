// One submission to the gateway and its outcome. The Send SMS window and the
// SMS reminder build a CZentavoSMSGatewaySubmission, hand it to the
// submission manager and read the CZentavoSMSGatewaySubmissionResults it
// returns. Both are plain records, copied by value.
#pragma once

#include "contacts/SMSContact.h"
#include "gateway/SMSGatewayProxy.h"
#include "gateway/SMSGatewayResultCode.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// What a submission asks for.
enum SubmissionActions : std::uint32_t
{
    saNewSendMessageSubmission = 1,
    // Replace / cancel the scheduled bulk job named by m_SubmissionId.
    saUpdateSendMessageSubmission = 2,
    saCancelSendMessageSubmission = 3,
};

// The route a submission takes to the gateway.
enum SubmissionMethod : std::uint32_t
{
    smSMTP = 1,        // an e-mail to the gateway, sent through Outlook
    smWebService = 2,  // a bulk job on the gateway's web service
    smHTTPS = 3,       // one send request on the HTTPS interface
};

// The sender a submission goes out with.
enum SubmissionSenderType : std::uint32_t
{
    sstUserDefined = 1,        // m_SenderId as typed
    sstReplyable = 2,          // a gateway number recipients can reply to
    sstUseAccountSettings = 3, // whatever the account is set to
};

class CZentavoSMSGatewaySubmission
{
public:
    // Sends at once (m_ScheduledTime zeroed) unless the builder sets a time.
    CZentavoSMSGatewaySubmission() { ::ZeroMemory(&m_ScheduledTime, sizeof(m_ScheduledTime)); }

    std::uint32_t m_Action = 0;  // SubmissionActions
    std::uint32_t m_Method = 0;  // SubmissionMethod
    // The HTTPS route asks for the balance first and stops when the keys
    // are refused.
    BYTE m_CheckBalance = 1;
    CSMSContactVector m_Recipients;  // in the order shown to the user
    std::string m_SenderId;          // used with sender type 1
    std::uint32_t m_SenderType = sstUserDefined;
    std::string m_MessageText;       // ANSI code page
    std::uint32_t m_MaxConCat = 1;   // most message parts the gateway may join
    // A caller's context; when set, the HTTPS route sends no sender and the
    // reply-to end point is left unset.
    std::string m_UserContext;
    SYSTEMTIME m_ScheduledTime;      // local time; wDay 0 sends at once
    CSMSGatewayEndPoint m_MessageSource;
    CSMSGatewayEndPoint m_ReplyTo;
    std::uint32_t m_DeliveryReportSetting = 0;     // DeliveryReportSetting
    std::uint32_t m_DeliveryReportStatusMask = 0;  // DeliveryReportStatusFlags
    std::uint32_t m_RoutingType = 0;               // ReplyRoutingType
    std::string m_SubmissionId;  // the bulk job to update or cancel
    BYTE m_StoreInSentItems = 0; // copy the message to Sent Items once it is accepted
};

class CZentavoSMSGatewaySubmissionResults
{
public:
    BYTE m_Success = 0;  // the gateway accepted the submission
    std::uint32_t m_ResultCode = 0;  // SMSGatewayResultCode; 1 is success
    BYTE m_HasSubmissionId = 0;      // m_SubmissionId names a bulk job
    BYTE m_SubmissionReplaced = 0;   // an update created a new job and aborted the old one
    // With m_SubmissionReplaced: the new job is ready, but the gateway did
    // not tell whether the old one (the record's id) stopped; it may still
    // send beside the new one.
    BYTE m_ReplacedJobMaySend = 0;
    // The bulk job created or cancelled, or the job id of an HTTPS reply.
    std::string m_SubmissionId;
    BYTE m_JobIdReply = 0;  // the HTTPS reply was a job id, not one line per recipient
    // One per recipient, in the record's order, when the gateway's answer
    // tells recipients apart (an HTTPS reply's lines, a bulk job's refused
    // batches); UNKNOWN where it cannot. Empty: every recipient was taken.
    std::vector<CSMSSendStatus> m_SendStatuses;
    BYTE m_JobNotChangeable = 0;  // the job to update or cancel can no longer change
    // The request may have reached the gateway but its answer was lost, cut
    // off or unreadable: the recipients whose status is UNKNOWN may have been
    // sent to. With m_Success clear, nothing of the answer was read (a bulk
    // job that may send is named by m_SubmissionId).
    BYTE m_OutcomeUnknown = 0;
    // How many of the recipients whose status is UNKNOWN the gateway refused
    // without naming them (a bulk job's batch answered INVALID_NUMBER).
    std::uint32_t m_UnnamedRefusals = 0;
    // A request refused before it reached the gateway (see
    // CHTTPRefusalException): its HTTP status, with CONNECTION_ERROR as the
    // result code; 0 otherwise.
    std::uint32_t m_RefusalHTTPStatus = 0;
};
