// Shared helpers of the submission tests, beside the gateway fixture of
// tests/support/GatewayTest.h.
#pragma once

#include "gateway/ZentavoSMSGatewaySubmission.h"
#include "tests/support/GatewayTest.h"

#include <string>
#include <vector>

namespace SubmissionTest
{
using GatewayTest::PrimaryRelay;
using GatewayTest::Recipients;
using GatewayTest::TestNumber;
using GatewayTest::WaitUntil;

// A new HTTPS send to the recipients, checked against the balance.
CZentavoSMSGatewaySubmission NewHTTPSSubmission(const CSMSContactVector& recipients,
                                                const std::string& text = "Hello from the test");

// The value of a form field, or "<absent>".
std::string FieldOf(const CLoggedRequest& request, const std::string& name);
} // namespace SubmissionTest
