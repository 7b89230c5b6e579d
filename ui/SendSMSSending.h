// One press of Send in the Send SMS window, after the account check: the
// request, read once from the window and the settings when Send is pressed,
// and the steps that act on it. The window builds the request; the steps
// see nothing of the window but its handle, as the owner of their boxes.
// So what the user confirmed in a warning is what goes and what is
// remembered, though the settings change meanwhile (another window's
// Options) or the window is destroyed under a box (a posted WM_CLOSE).
// User-interface thread only.
#pragma once

#include "contacts/SMSContact.h"
#include "platform/ComPtr.h"

#include <windows.h>

#include <string>

class CZentavoSMSGatewaySubmission;
class CZentavoSMSGatewaySubmissionResults;

struct CSendSMSRequest
{
    CSMSContactVector m_Recipients;  // each phone once
    // As typed, before any conversion to the ANSI code page.
    std::wstring m_TypedText;
    std::wstring m_TypedContext;  // user-context mode only
    std::wstring m_TypedSender;   // a sender id of the user's own only
    std::string m_Text;           // ANSI; each CR LF a single CR
    int m_Parts = 0;              // of the text as typed
    std::string m_UserContext;
    std::string m_SenderText;  // the sender id that goes
    // The From field as it read (not in user-context mode), which a send
    // that went keeps as the default sender.
    std::string m_FromText;
    bool m_UserContextMode = false;
    bool m_Replyable = true;  // always in user-context mode
    bool m_UseAccountSettings = false;
    SYSTEMTIME m_Schedule = {};  // wDay 0: at once
    DWORD m_DeliveryReportMode = 0;
    DWORD m_DeliveryReportStatusMask = 0;
    // The settings the send goes by.
    int m_MaxParts = 0;
    bool m_WarnIfTruncated = false;
    bool m_CheckBalance = false;
    bool m_StoreInSentItems = false;
    int m_AuthMode = 0;
    std::string m_AccessKey;
    std::string m_SecretKey;
    std::string m_MasterKey;
    IDispatchPtr m_OutlookApplication;  // the sending user's identity
};

class CSendSMSSending
{
public:
    // owner: the window whose boxes these are; it may be destroyed while
    // one is up, and the box is then shown again without it.
    CSendSMSSending(HWND owner, CSendSMSRequest request);
    CSendSMSSending(const CSendSMSSending&) = delete;
    CSendSMSSending& operator=(const CSendSMSSending&) = delete;

    // The checks, the warnings, the submission and the sender kept, in this
    // order. True when the message went, or may have (its answer lost,
    // which has been told): the window then closes. False when a check, a
    // warning or the gateway stopped it, after its box or dialog.
    bool Run();

private:
    // Recipients, an entry without a number, the text, and what the ANSI
    // code page cannot carry.
    bool CheckRequest() const;
    // The truncation and balance warnings.
    bool ConfirmLimits() const;
    bool ConfirmTruncation() const;
    bool ConfirmBalance() const;
    // A schedule or report settings the account's auth mode cannot carry.
    bool CheckAuthModeAllows() const;
    CZentavoSMSGatewaySubmission BuildSubmission() const;
    // Under the wait cursor; the helper has shown any failure.
    CZentavoSMSGatewaySubmissionResults Submit(const CZentavoSMSGatewaySubmission& submission) const;
    // One box naming the numbers the gateway refused in an accepted send, or
    // did not answer for.
    void ReportRefusedRecipients(const CZentavoSMSGatewaySubmissionResults& results) const;
    // The sender the send went with, stored for the next window (not in
    // user-context mode); a failing save is reported, the send stays sent.
    void KeepSenderChoice() const;
    // One warning box; false.
    bool Refuse(const std::string& text) const;
    // False, after a box naming them, when the text holds characters that
    // the conversion to the ANSI code page would change; what names the text
    // in the box ("message text", "user context", "sender id").
    bool CheckSendableAsTyped(const std::wstring& typed, const char* what) const;

    const HWND m_Owner;
    const CSendSMSRequest m_Request;
};
