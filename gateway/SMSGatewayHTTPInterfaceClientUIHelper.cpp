#include "gateway/SMSGatewayHTTPInterfaceClientUIHelper.h"

#include "contacts/SMSContact.h"
#include "core/CompanyName.h"
#include "core/ErrorReports.h"
#include "gateway/SMSGatewayResultCode.h"
#include "gateway/ZentavoSMSGatewaySubmissionManager.h"

#include <wininet.h>

namespace
{
const char* const kConnectionErrorText =
    "Error occurred connecting to the {CompanyNameShort} Service.\n\nPlease check you internet connection and "
    "firewall settings";

// The request may have reached the gateway, whose answer did not come: not
// a failure, or the user sends again and pays twice.
const char* const kOutcomeUnknownText =
    "The message may have been sent.\n\nThe {CompanyNameShort} Service's answer was lost, so whether it sent (or "
    "scheduled) the message is not known. Please check your messages on the {CompanyNameShort} portal before "
    "sending it again.";

// What the HTTP status of a request refused before the gateway tells.
std::string RefusalText(std::uint32_t httpStatus)
{
    if (httpStatus == HTTP_STATUS_PROXY_AUTH_REQ)
        return "A proxy server asks for authentication (HTTP status 407), so the request did not reach the "
               "{CompanyNameShort} Service.\n\nPlease check this computer's proxy settings, or ask your "
               "administrator.";
    return "The request was refused on its way to the {CompanyNameShort} Service (HTTP status " +
           std::to_string(httpStatus) +
           "): a proxy server or firewall may be blocking it.\n\nPlease check your internet connection and "
           "firewall settings.";
}

std::string WithCompanyName(std::string text)
{
    ReplaceCompanyNameShortTag(text);
    return text;
}

// Why the gateway did not send to one number, as the user reads it.
std::string RefusalReason(std::uint32_t code)
{
    if (code == INVALID_NUMBER)
        return "not a valid number";
    if (code == NO_TO)
        return "no number";
    const std::string name = GetSMSGatewayResultCodeName(code);
    return name.empty() ? "result code " + std::to_string(code) : name;
}

// A number as the user typed it; an entry without one never went.
std::string Named(const CSMSSendStatus& status)
{
    return CSMSContactUtils::HasNumber(CSMSContact(std::string(), status.m_Number)) ? status.m_Number : "(none)";
}

// The recipients of a send by what its answers told of them.
struct CRecipientOutcomes
{
    explicit CRecipientOutcomes(const CZentavoSMSGatewaySubmissionResults& results)
    {
        for (const CSMSSendStatus& status : results.m_SendStatuses)
        {
            if (status.m_StatusCode == OK)
                anySent = true;
            else if (status.m_StatusCode != UNKNOWN)
                refused += "\n" + Named(status) + ": " + RefusalReason(status.m_StatusCode);
            else if (results.m_OutcomeUnknown)
                unknown += "\n" + status.m_Number;
        }
        anySent = anySent || results.m_SendStatuses.empty();
    }

    std::string refused;  // a line per refused number, with the reason
    std::string unknown;  // a line per number the answers did not tell of
    bool anySent = false;
};

// "... Service refused 1 of its 101 numbers (not a valid number) without
// saying which"
std::string UnnamedRefusalsClause(const CZentavoSMSGatewaySubmissionResults& results)
{
    return "{CompanyNameShort} Service refused " + std::to_string(results.m_UnnamedRefusals) + " of its " +
           std::to_string(results.m_SendStatuses.size()) + " numbers (" + RefusalReason(INVALID_NUMBER) +
           ") without saying which";
}

// A send the gateway took: what it refused, and what its answer did not
// tell.
std::string SentOutcomesText(const CZentavoSMSGatewaySubmissionResults& results, const CRecipientOutcomes& outcomes)
{
    std::string text;
    if (!outcomes.refused.empty())
        text = std::string(outcomes.anySent ? "The message was sent, but not" : "The message was not sent") +
               " to these numbers:\n" + outcomes.refused;
    if (results.m_UnnamedRefusals != 0)
    {
        if (text.empty())
            text = "The message was sent, but the " + UnnamedRefusalsClause(results) + ".";
        else
            text += "\n\nThe {CompanyNameShort} Service also refused " + std::to_string(results.m_UnnamedRefusals) +
                    " more of its numbers (" + RefusalReason(INVALID_NUMBER) + ") without saying which.";
    }
    if (!outcomes.unknown.empty())
    {
        const char* const lead = !text.empty()       ? "\n\nThe"
                                 : outcomes.anySent ? "The message was sent, but the"
                                                    : "The message may have been sent: the";
        text += std::string(lead) +
                " {CompanyNameShort} Service's answer did not tell whether it went to these numbers:\n" +
                outcomes.unknown +
                "\n\nPlease check your messages on the {CompanyNameShort} portal before sending to them again.";
    }
    return text;
}

// A send whose answer was lost: that it may have gone, and what the gateway
// had refused before.
std::string LostOutcomesText(const CZentavoSMSGatewaySubmissionResults& results, const CRecipientOutcomes& outcomes)
{
    std::string text = kOutcomeUnknownText;
    if (!outcomes.refused.empty())
        text += "\n\nIt was not sent to these numbers, which the {CompanyNameShort} Service refused:\n" +
                outcomes.refused;
    if (results.m_UnnamedRefusals != 0)
        text += "\n\nThe " + UnnamedRefusalsClause(results) + ": the message was not sent to " +
                (results.m_UnnamedRefusals == 1 ? "it." : "them.");
    return text;
}

// What follows the heading for a result code.
std::string ResultCodeText(bool login, const std::string& description, std::uint32_t resultCode)
{
    switch (resultCode)
    {
    case LOGIN_INVALID:
        return login ? "\n\nUsername or Password incorrect"
                     : "\n\nLogin session no longer valid. Please log back in to your account again.";
    case CONNECTION_ERROR:
        return "\n\n" + WithCompanyName(kConnectionErrorText);
    case NO_TO:
        return "\n\nNo valid recipients numbers were provided";
    case UPGRADE_CLIENTAPP:
        return "\n\nPlease update the ZentavoSMS Outlook Addin to the latest version";
    case MFA_REQUIRED:
        return "\n\nThe user account requires MFA Authentication but this is not supported by the current "
               "ZentavoSMS Outlook Addin";
    case INSUFFICIENT_CREDIT:
        return "\n\nInsufficient credit to complete the request";
    case DAILY_ALLOWANCE_EXCEEDED:
        return "\n\nYou remaining daily allowance in insufficient to complete the request";
    case MONTHLY_ALLOWANCE_EXCEEDED:
        return "\n\nYou remaining monthly allowance in insufficient to complete the request";
    default:
        return "\n\nResultCode: " + std::to_string(resultCode) + "\n\n" + description;
    }
}
} // namespace

CZentavoSMSGatewaySubmissionResults CSMSGatewayHTTPInterfaceClientUIHelper::MakeSubmission(
    HWND parent, std::string heading, CZentavoSMSGatewaySubmissionManager& manager,
    IDispatchPtr outlookApplication, const CZentavoSMSGatewaySubmission& submission)
{
    CZentavoSMSGatewaySubmissionResults results;
    try
    {
        results = manager.MakeSubmission(outlookApplication, submission);
    }
    catch (const CZentavoSMSGatewayException& e)
    {
        results.m_Success = 0;
        results.m_ResultCode = e.m_GatewayErrorCode;
        ShowGatewayErrorMessage(parent, false, heading, e.GetDescription(), results.m_ResultCode);
        return results;
    }
    catch (const CHTTPException& e)
    {
        results.m_Success = 0;
        results.m_ResultCode = CONNECTION_ERROR;
        if (const auto* refusal = dynamic_cast<const CHTTPRefusalException*>(&e))
            results.m_RefusalHTTPStatus = refusal->GetHTTPStatus();
        ShowFailure(parent, heading, e.GetDescription(), results);
        return results;
    }
    if (results.m_ResultCode != OK)
    {
        results.m_Success = 0;
        if (results.m_OutcomeUnknown)
            ShowMessageBox(parent, RecipientOutcomesText(results), kAddinMessageBoxCaption, MB_OK);
        else
            ShowFailure(parent, heading, "No Description", results);
    }
    return results;
}

void CSMSGatewayHTTPInterfaceClientUIHelper::ShowFailure(HWND parent, const std::string& heading,
                                                         const std::string& description,
                                                         const CZentavoSMSGatewaySubmissionResults& results)
{
    if (results.m_RefusalHTTPStatus == 0)
        ShowGatewayErrorMessage(parent, false, heading, description, results.m_ResultCode);
    else
        ShowMessageBox(parent, heading + "\n\n" + WithCompanyName(RefusalText(results.m_RefusalHTTPStatus)),
                       kAddinMessageBoxCaption, MB_OK);
}

std::string CSMSGatewayHTTPInterfaceClientUIHelper::RecipientOutcomesText(
    const CZentavoSMSGatewaySubmissionResults& results)
{
    if (!results.m_Success && !results.m_OutcomeUnknown)
        return std::string();
    const CRecipientOutcomes outcomes(results);
    return WithCompanyName(results.m_Success ? SentOutcomesText(results, outcomes)
                                             : LostOutcomesText(results, outcomes));
}

void CSMSGatewayHTTPInterfaceClientUIHelper::ShowGatewayErrorMessage(HWND parent, bool login,
                                                                     const std::string& heading,
                                                                     const std::string& description,
                                                                     std::uint32_t resultCode)
{
    ShowMessageBox(parent, heading + ResultCodeText(login, description, resultCode), kAddinMessageBoxCaption, MB_OK);
}

bool CSMSGatewayHTTPInterfaceClientUIHelper::ShowServiceConnectionError(HWND parent,
                                                                        const CServiceConnectionException& exception)
{
    std::string text = kConnectionErrorText;
    if (exception.m_RetryAllowed)
        text += "\n\nDo you want to try again?";
    const UINT style = exception.m_RetryAllowed ? (MB_YESNO | MB_ICONSTOP) : (MB_OK | MB_ICONSTOP);
    const CModalEnd answer = ShowMessageBox(parent, WithCompanyName(text), kAddinMessageBoxCaption, style);
    return exception.m_RetryAllowed && answer.Is(IDYES);
}
