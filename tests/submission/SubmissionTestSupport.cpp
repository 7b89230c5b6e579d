#include "tests/submission/SubmissionTestSupport.h"

namespace SubmissionTest
{
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
