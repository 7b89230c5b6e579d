// Runs a submission for a window and tells the user what went wrong: gateway
// refusals and connection failures end in one message box each, with the
// caption "ZentavoSMS Outlook Add-in", shown through ShowMessageBox.
// User-interface thread only.
#pragma once

#include "core/Exceptions.h"
#include "gateway/ZentavoSMSGatewaySubmission.h"
#include "platform/ComPtr.h"

#include <windows.h>

#include <cstdint>
#include <string>

class CZentavoSMSGatewaySubmissionManager;

class CSMSGatewayHTTPInterfaceClientUIHelper
{
public:
    // The gateway could not be reached. Raised by the authentication
    // manager and caught by name only: it derives from no exception class.
    class CServiceConnectionException
    {
    public:
        CServiceConnectionException() = default;
        CServiceConnectionException(const CServiceConnectionException&) = default;
        CServiceConnectionException(CServiceConnectionException&&) = default;
        CServiceConnectionException& operator=(const CServiceConnectionException&) = default;
        ~CServiceConnectionException() = default;

        BYTE m_RetryAllowed = 0;
        // The failed operation: "CreateAuthFactor", "DeleteAuthFactor" or
        // "TestAuthentication".
        std::string m_Text;
        // What the request raised, or a default one (no description,
        // HRESULT 0) when the failure came back as a result.
        CGeneralException m_Exception{std::string(), 0};
    };

    // Runs the submission through the manager. A result code other than 1,
    // a gateway exception (its code) or an HTTP exception (code 10; a
    // refusal before the gateway also sets m_RefusalHTTPStatus) gives a
    // failed result and one message box headed by heading; any other
    // exception reaches the caller. A result whose outcome is unknown (the
    // answer lost after the request may have reached the gateway) is no
    // failure to the user: its box says the message may have been sent, and
    // names the numbers the gateway had refused (RecipientOutcomesText).
    CZentavoSMSGatewaySubmissionResults MakeSubmission(HWND parent, std::string heading,
                                                       CZentavoSMSGatewaySubmissionManager& manager,
                                                       IDispatchPtr outlookApplication,
                                                       const CZentavoSMSGatewaySubmission& submission);

    // What the user is told of the recipients of a send that went or may
    // have: the numbers refused (or how many, where the gateway did not name
    // them) and those its answer did not tell of, or that the whole answer
    // was lost. Empty for a failed send and for one that reached every
    // number.
    static std::string RecipientOutcomesText(const CZentavoSMSGatewaySubmissionResults& results);
    // The heading and the text for the code (login chooses the text for 6);
    // description is shown only for codes without a text of their own.
    static void ShowGatewayErrorMessage(HWND parent, bool login, const std::string& heading,
                                        const std::string& description, std::uint32_t resultCode);
    // True when a retry is allowed and the user chose Yes.
    static bool ShowServiceConnectionError(HWND parent, const CServiceConnectionException& exception);

private:
    // The failure's box: the code's text, or what the HTTP status of a
    // request refused before the gateway tells (a 407: a proxy asks for
    // authentication).
    static void ShowFailure(HWND parent, const std::string& heading, const std::string& description,
                            const CZentavoSMSGatewaySubmissionResults& results);
};
