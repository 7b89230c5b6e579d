#include "tests/submission/SubmissionTestSupport.h"

#include <cstdio>

namespace SubmissionTest
{
std::string TestNumber(int index)
{
    char number[32];
    std::snprintf(number, sizeof(number), "+4477009%05d", index);
    return number;
}

CSMSContactVector Recipients(int count)
{
    CSMSContactVector recipients;
    for (int i = 0; i < count; ++i)
        recipients.emplace_back("Recipient " + std::to_string(i), TestNumber(i));
    return recipients;
}

CZentavoSMSGatewaySubmission NewHTTPSSubmission(const CSMSContactVector& recipients, const std::string& text)
{
    CZentavoSMSGatewaySubmission submission;
    submission.m_Action = saNewSendMessageSubmission;
    submission.m_Method = smHTTPS;
    submission.m_Recipients = recipients;
    submission.m_SenderId = "Zentavo";
    submission.m_MessageText = text;
    return submission;
}

std::string FieldOf(const CLoggedRequest& request, const std::string& name)
{
    return request.HasField(name) ? request.Field(name) : std::string("<absent>");
}
} // namespace SubmissionTest
