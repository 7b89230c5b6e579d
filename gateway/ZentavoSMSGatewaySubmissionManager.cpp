#include "gateway/ZentavoSMSGatewaySubmissionManager.h"

#include "core/CompanyName.h"
#include "core/ErrorReports.h"
#include "core/Exceptions.h"
#include "gateway/OutlookEmailSMS.h"
#include "gateway/ZentavoSMSGatewayHTTPSSubmitter.h"
#include "gateway/ZentavoSMSGatewaySMTPSubmitter.h"
#include "gateway/ZentavoSMSGatewayWebServiceSubmitter.h"

#include <algorithm>
#include <iterator>

CZentavoSMSGatewaySubmissionManager::CZentavoSMSGatewaySubmissionManager(std::uint32_t authMode,
                                                                         const std::string& accessKey,
                                                                         const std::string& secretKey,
                                                                         const std::string& masterKey)
    : m_AuthMode(authMode), m_AccessKey(accessKey), m_SecretKey(secretKey), m_MasterKey(masterKey)
{
}

namespace
{
CSMSContactVector WithNumbers(const CSMSContactVector& recipients)
{
    CSMSContactVector numbered;
    std::copy_if(recipients.begin(), recipients.end(), std::back_inserter(numbered), CSMSContactUtils::HasNumber);
    return numbered;
}

// One status per recipient again: the submitter's for those it sent, each
// entry without a number refused in its place (NO_TO). Where the submitter
// named none, the others went, or may have.
std::vector<CSMSSendStatus> WithNumberlessRefused(const CSMSContactVector& recipients,
                                                  const CZentavoSMSGatewaySubmissionResults& results)
{
    std::vector<CSMSSendStatus> statuses;
    size_t sent = 0;
    for (const CSMSContact& recipient : recipients)
    {
        CSMSSendStatus status;
        if (!CSMSContactUtils::HasNumber(recipient))
            status.m_StatusCode = NO_TO;
        else if (sent < results.m_SendStatuses.size())
            status = results.m_SendStatuses[sent++];
        else
            status.m_StatusCode = results.m_OutcomeUnknown ? UNKNOWN : OK;
        status.m_Number = recipient.m_Number;
        statuses.push_back(status);
    }
    return statuses;
}
} // namespace

CZentavoSMSGatewaySubmissionResults CZentavoSMSGatewaySubmissionManager::MakeSubmission(
    IDispatchPtr outlookApplication, const CZentavoSMSGatewaySubmission& submission)
{
    const std::unique_ptr<CZentavoSMSGatewaySubmitter> submitter = CreateSubmitter(submission.m_Method);
    // An entry without a number never goes: the gateway would pass over it
    // without a word, and its silence would read as an answer cut off.
    CZentavoSMSGatewaySubmission sendable = submission;
    sendable.m_Recipients = WithNumbers(submission.m_Recipients);
    CZentavoSMSGatewaySubmissionResults results;
    if (sendable.m_Recipients.size() == submission.m_Recipients.size())
        results = submitter->MakeSubmission(outlookApplication, submission);
    // A send or a replacement to no number at all is the gateway's own
    // refusal; a cancel takes no recipients.
    else if (sendable.m_Recipients.empty() && submission.m_Action != saCancelSendMessageSubmission)
        results.m_ResultCode = NO_TO;
    else
    {
        results = submitter->MakeSubmission(outlookApplication, sendable);
        if (results.m_Success || results.m_OutcomeUnknown || !results.m_SendStatuses.empty())
            results.m_SendStatuses = WithNumberlessRefused(submission.m_Recipients, results);
    }
    StoreInSentItemsIfAccepted(outlookApplication, submission, results);
    return results;
}

std::unique_ptr<CZentavoSMSGatewaySubmitter> CZentavoSMSGatewaySubmissionManager::CreateSubmitter(
    std::uint32_t method) const
{
    switch (method)
    {
    case smSMTP:
        return std::unique_ptr<CZentavoSMSGatewaySubmitter>(
            new CZentavoSMSGatewaySMTPSubmitter(m_AuthMode, m_AccessKey, m_SecretKey, m_MasterKey));
    case smWebService:
        return std::unique_ptr<CZentavoSMSGatewaySubmitter>(
            new CZentavoSMSGatewayWebServiceSubmitter(m_AuthMode, m_AccessKey, m_SecretKey, m_MasterKey));
    case smHTTPS:
        return std::unique_ptr<CZentavoSMSGatewaySubmitter>(
            new CZentavoSMSGatewayHTTPSSubmitter(m_AuthMode, m_AccessKey, m_SecretKey, m_MasterKey));
    default:
        throw CGeneralException("CZentavoSMSGatewaySubmissionManager::MakeSubmission - SubmissionMethod not support",
                                E_FAIL);
    }
}

namespace
{
// A recipient's outcome: its status, or taken when the route named none.
std::uint32_t OutcomeOf(const std::vector<CSMSSendStatus>& statuses, size_t recipient)
{
    if (statuses.empty())
        return OK;
    return recipient < statuses.size() ? statuses[recipient].m_StatusCode : static_cast<std::uint32_t>(UNKNOWN);
}

// Every recipient but those the gateway is known to have refused: one
// whose outcome is not known may have been sent to.
CSMSContactVector NotRefusedRecipients(const CSMSContactVector& recipients,
                                       const std::vector<CSMSSendStatus>& statuses)
{
    CSMSContactVector listed;
    for (size_t i = 0; i < recipients.size(); ++i)
    {
        const std::uint32_t outcome = OutcomeOf(statuses, i);
        if (outcome == OK || outcome == UNKNOWN)
            listed.push_back(recipients[i]);
    }
    return listed;
}

// What the copy says of the numbers it lists whose outcome the gateway did
// not tell; empty when it told them all.
std::string SentItemNote(const CZentavoSMSGatewaySubmission& submission,
                         const CZentavoSMSGatewaySubmissionResults& results)
{
    std::string note;
    if (results.m_UnnamedRefusals != 0)
        note = "The {CompanyNameShort} Service refused " + std::to_string(results.m_UnnamedRefusals) +
               " of these numbers without saying which: the message was not sent to " +
               (results.m_UnnamedRefusals == 1 ? "it." : "them.");
    if (results.m_OutcomeUnknown)
    {
        std::string unknown;
        size_t count = 0;
        for (size_t i = 0; i < submission.m_Recipients.size(); ++i)
            if (OutcomeOf(results.m_SendStatuses, i) == UNKNOWN)
                unknown += (count++ == 0 ? "" : ", ") + submission.m_Recipients[i].m_Number;
        note += note.empty() ? "" : " ";
        if (!results.m_Success || count == submission.m_Recipients.size())
            note += "The {CompanyNameShort} Service's answer was lost: whether the message was sent is not known.";
        else
            note += "The {CompanyNameShort} Service's answer did not tell whether the message went to " +
                    unknown + ".";
    }
    ReplaceCompanyNameShortTag(note);
    return note;
}
} // namespace

// A copy titled "SMS Message Sent" is made for a message the gateway
// accepted, or may have (its answer lost), and lists no number the gateway
// refused: a copy that names a refused number would tell the user the
// message went there. Numbers it cannot vouch for are named in its note.
void CZentavoSMSGatewaySubmissionManager::StoreInSentItemsIfAccepted(
    IDispatchPtr& outlookApplication, const CZentavoSMSGatewaySubmission& submission,
    const CZentavoSMSGatewaySubmissionResults& results)
{
    if (!submission.m_StoreInSentItems || !(results.m_Success || results.m_OutcomeUnknown))
        return;
    try
    {
        CZentavoSMSGatewaySubmission sent = submission;
        sent.m_Recipients = NotRefusedRecipients(submission.m_Recipients, results.m_SendStatuses);
        COutlookEmailSMS::StoreSubmissionInOutlookSentItem(outlookApplication, sent, SentItemNote(submission, results));
    }
    catch (...)
    {
        ReportCurrentException("CZentavoSMSGatewaySubmissionManager::MakeSubmission (message sent; Sent Items copy "
                               "failed)");
    }
}
