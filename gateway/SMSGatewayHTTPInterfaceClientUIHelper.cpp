#include "gateway/SMSGatewayHTTPInterfaceClientUIHelper.h"

#include "core/CompanyName.h"
#include "core/ErrorReports.h"
#include "gateway/SMSGatewayResultCode.h"
#include "gateway/ZentavoSMSGatewaySubmissionManager.h"

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

std::string WithCompanyName(std::string text)
{
    ReplaceCompanyNameShortTag(text);
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
        ShowGatewayErrorMessage(parent, false, heading, e.GetDescription(), results.m_ResultCode);
        return results;
    }
    if (results.m_ResultCode != OK)
    {
        results.m_Success = 0;
        if (results.m_OutcomeUnknown)
            ShowMessageBox(parent, WithCompanyName(kOutcomeUnknownText), kAddinMessageBoxCaption, MB_OK);
        else
            ShowGatewayErrorMessage(parent, false, heading, "No Description", results.m_ResultCode);
    }
    return results;
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
    const int answer = ShowMessageBox(parent, WithCompanyName(text), kAddinMessageBoxCaption, style);
    return exception.m_RetryAllowed && answer == IDYES;
}
