// Schedules under a pinned time zone (ZENTAVO_TEST_ZONE, with the process's
// TZ set to it); skipped without one.
#include "bulkjob/ZentavoSMSBulkSMSWebServiceClient_gSoap.h"
#include "core/Win32Utils.h"
#include "tests/bulkjob/FakeSoapTransport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace
{

struct ScheduledSubmission : CZentavoSMSGatewaySubmission
{
    ScheduledSubmission()
    {
        m_SenderId = "Zentavo";
        m_MessageText = "Reminder";
        m_MaxConCat = 1;
        m_DeliveryReportSetting = 3;
        m_ScheduledTime.wYear = 2026;
        m_ScheduledTime.wMonth = 12;
        m_ScheduledTime.wDay = 8;
        m_ScheduledTime.wHour = 9;
        m_ScheduledTime.wMinute = 30;
    }
};

TEST(BulkJobZone, AScheduleGoesOutAsLocalTimeWithTheZonesOffsetAndZonelessTextsReadAsLocal)
{
    const std::string zone = CWin32Utils::GetEnvironmentVariable("ZENTAVO_TEST_ZONE");
    if (zone.empty())
        GTEST_SKIP() << "ZENTAVO_TEST_ZONE not set";
    // Offsets on 8 December 2026, in minutes east of UTC.
    const std::map<std::string, std::pair<std::string, int>> offsets = {
        {"Europe/Paris", {"+01:00", 60}}, {"America/St_Johns", {"-03:30", -210}}};
    const auto offset = offsets.find(zone);
    ASSERT_NE(offsets.end(), offset) << zone;

    CZentavoSMSBulkSMSWebServiceClient_gSoap client;
    CFakeSoapTransport transport(client.GetProxy().soap);
    transport.SetReply("<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><soap:Body>"
                       "<CreateSMSTextBulkJobResponse xmlns=\"http://www.zentavosms.com/api/webservices/\">"
                       "<CreateSMSTextBulkJobResult><BulkJobId>1</BulkJobId><ErrorCode>OK</ErrorCode>"
                       "</CreateSMSTextBulkJobResult></CreateSMSTextBulkJobResponse></soap:Body></soap:Envelope>");
    std::string jobId;
    ASSERT_EQ(1, client.CreateSMSTextBulkJob("a", "s", "n", ScheduledSubmission(), &jobId));
    EXPECT_NE(std::string::npos, transport.Sent().find("<ns1:MaxConCatMsgs>1</ns1:MaxConCatMsgs><ns1:ScheduledDate>"
                                                       "2026-12-08T09:30:00" +
                                                       offset->second.first + "</ns1:ScheduledDate>"))
        << transport.Sent();

    transport.SetReply("<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><soap:Body>"
                       "<GetBulkJobStatusResponse xmlns=\"http://www.zentavosms.com/api/webservices/\">"
                       "<GetBulkJobStatusResult><ScheduledDate>2026-12-08T09:30:00</ScheduledDate>"
                       "</GetBulkJobStatusResult></GetBulkJobStatusResponse></soap:Body></soap:Envelope>");
    BulkJobStatusDetails details;
    ASSERT_EQ(1, client.GetBulkJobStatus("a", "s", "1", details));
    EXPECT_EQ(1796722200.0 - offset->second.second * 60, details.ScheduledTime);
}

} // namespace
