// The conformance client: every operation of the bulk-job service, called
// through the product's client and WinINet transport against the npm "soap"
// peer that run_conformance.py starts (its address in
// ZENTAVOSMS_GATEWAY_BULKJOB_URL). Each must be accepted and answered.
#include "bulkjob/ZentavoSMSBulkSMSWebServiceClient_gSoap.h"
#include "core/Win32Utils.h"
#include "core/GatewayAddresses.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct Submission : CZentavoSMSGatewaySubmission
{
    Submission()
    {
        m_SenderId = "Zentavo";
        m_MessageText = "Caf\xE9 at 9 \x80 <bring> & \"keys\"\r2nd line";
        m_MaxConCat = 3;
        m_DeliveryReportSetting = 3;
    }
};

const char kAccessKey[] = "ACCESSKEY";
const char kSecretKey[] = "";

TEST(BulkJobConformance, EveryOperationIsAcceptedAndAnswered)
{
    if (CWin32Utils::GetEnvironmentVariable(GatewayAddresses::kBulkJobURLVariable).empty())
        GTEST_SKIP() << "run by run_conformance.py";
    CZentavoSMSBulkSMSWebServiceClient_gSoap client;
    client.SetClientDetails("ZentavSMSOutlookAddin", "5.0.1", "");

    // A message that goes at once: no schedule, no report settings, no end points.
    Submission now;
    now.m_SenderType = 2;
    std::string jobId;
    ASSERT_EQ(1, client.CreateSMSTextBulkJob(kAccessKey, kSecretKey, "SMS Appointment Reminder", now, &jobId));
    EXPECT_EQ("JOB-1", jobId);

    // Everything a new job can carry.
    Submission later;
    later.m_ScheduledTime.wYear = 2026;
    later.m_ScheduledTime.wMonth = 12;
    later.m_ScheduledTime.wDay = 8;
    later.m_ScheduledTime.wHour = 9;
    later.m_ScheduledTime.wMinute = 30;
    later.m_MessageSource = {L"owner@example.com", L"Owner \x00e9", 0x20000001};
    later.m_ReplyTo = later.m_MessageSource;
    later.m_DeliveryReportSetting = 2;
    later.m_DeliveryReportStatusMask = 15;
    later.m_RoutingType = 2;
    ASSERT_EQ(1, client.CreateSMSTextBulkJob(kAccessKey, kSecretKey, "SMS Appointment Reminder", later, &jobId));
    EXPECT_EQ("JOB-1", jobId);

    std::wstring numbers;
    for (int i = 0; i < 1000; ++i)
        numbers += (i ? L"," : L"") + std::wstring(L"+4477009") + std::to_wstring(10000 + i);
    EXPECT_EQ(1, client.AppendRecipients(kAccessKey, kSecretKey, jobId, &numbers));
    EXPECT_EQ(1, client.SetBulkJobReady(kAccessKey, kSecretKey, jobId));
    EXPECT_EQ(1, client.PauseBulkJob(kAccessKey, kSecretKey, jobId));
    EXPECT_EQ(1, client.RestartBulkJob(kAccessKey, kSecretKey, jobId));
    EXPECT_EQ(1, client.AbortBulkJob(kAccessKey, kSecretKey, jobId));

    BulkJobStatusDetails details;
    ASSERT_EQ(1, client.GetBulkJobStatus(kAccessKey, kSecretKey, jobId, details));
    EXPECT_EQ(2u, details.Status);
    EXPECT_EQ(1796722200.0, details.ScheduledTime);
    EXPECT_EQ(2500, details.TotalRecipients);
    EXPECT_EQ(10, details.MsgProcessed);
    EXPECT_EQ(9, details.MsgSent);
}

} // namespace
