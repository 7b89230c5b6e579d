// The copy of a sent SMS in Outlook's Sent Items folder: a mail item with
// the subject "SMS Message Sent" whose body lists the recipients, the sender
// id, the schedule and the text.
#pragma once

#include "gateway/ZentavoSMSGatewaySubmission.h"
#include "platform/ComPtr.h"

#include <string>

class COutlookEmailSMS
{
public:
    // Failures raise _com_error with the failing step's context
    // ("COutlookEmailSMS::StoreSubmissionInOutlookSentItem(...)"); the number
    // list of a long recipient list never outlives the call.
    // A note, when given, follows the To line: what the gateway's answer
    // left unsure about the numbers listed.
    static void StoreSubmissionInOutlookSentItem(IDispatchPtr outlookApplication,
                                                 const CZentavoSMSGatewaySubmission& submission,
                                                 const std::string& note = std::string());

    // The body text. With 30 or more recipients, the To line reads "<See
    // Attached List>" and attachNumberList is set.
    static std::string BuildSentItemBody(const CZentavoSMSGatewaySubmission& submission, bool& attachNumberList,
                                         const std::string& note = std::string());
};
