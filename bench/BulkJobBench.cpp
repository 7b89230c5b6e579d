// Bulk-job client: the work of one large send without the network (the
// client's SOAP context gets an in-memory transport that swallows each
// request and hands back the operation's reply), and a smaller job over the
// real WinINet transport to the gateway simulator that scripts/bench starts.
// The SOAP runtime's header brings winsock2.h, which must come before windows.h.
#include "bulkjob/ZentavoSMSBulkSMSWebServiceClient_gSoap.h"

#include "bench/Bench.h"
#include "core/GatewayAddresses.h"
#include "core/Win32Utils.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace
{

struct CMemoryTransport
{
    std::string Reply;
    size_t Offset = 0;
    size_t BytesSent = 0;

    static CMemoryTransport& Of(struct soap* soap) { return *static_cast<CMemoryTransport*>(soap->user); }

    static int Connect(struct soap* soap, const char*, const char*, int)
    {
        Of(soap).Offset = 0;
        return SOAP_OK;
    }
    static int Post(struct soap*, const char*, const char*, int, const char*, const char*, ULONG64)
    {
        return SOAP_OK;
    }
    static int Send(struct soap* soap, const char*, size_t length)
    {
        Of(soap).BytesSent += length;
        return SOAP_OK;
    }
    static size_t Receive(struct soap* soap, char* buffer, size_t length)
    {
        CMemoryTransport& transport = Of(soap);
        const size_t count = std::min(length, transport.Reply.size() - transport.Offset);
        std::memcpy(buffer, transport.Reply.data() + transport.Offset, count);
        transport.Offset += count;
        return count;
    }
    static int Close(struct soap*) { return SOAP_OK; }

    void Install(struct soap* soap)
    {
        soap->user = this;
        soap->fconnect = Connect;
        soap->fpost = Post;
        soap->fsend = Send;
        soap->frecv = Receive;
        soap->fclose = Close;
    }
};

std::string Reply(const std::string& operation, const std::string& children)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
           "xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><soap:Body><" +
           operation + "Response xmlns=\"http://www.zentavosms.com/api/webservices/\"><" + operation + "Result>" +
           children + "</" + operation + "Result></" + operation + "Response></soap:Body></soap:Envelope>";
}

struct CBenchSubmission : CZentavoSMSGatewaySubmission
{
    CBenchSubmission()
    {
        m_SenderId = "Zentavo";
        m_MessageText = "Your appointment with Dr Smith is tomorrow at 9:00. Reply STOP to opt out.";
        m_MaxConCat = 3;
        m_ScheduledTime.wYear = 2026;
        m_ScheduledTime.wMonth = 12;
        m_ScheduledTime.wDay = 8;
        m_ScheduledTime.wHour = 9;
        m_MessageSource = CSMSGatewayEndPoint{L"owner@example.com", L"Owner", 0x20000001};
        m_ReplyTo = m_MessageSource;
        m_DeliveryReportSetting = 2;
        m_DeliveryReportStatusMask = 15;
        m_RoutingType = 2;
    }
};

// A batch of 1000 numbers, "+447700910000" on, the first at first.
std::wstring RecipientBatch(int first)
{
    std::wstring batch;
    for (int i = 0; i < 1000; ++i)
    {
        if (i)
            batch += L',';
        batch += L"+4477009" + std::to_wstring(10000 + first + i);
    }
    return batch;
}

// One job of 10,000 recipients: create, ten batches of 1000, ready.
void TenThousandRecipientJob(CBenchContext& context)
{
    std::wstring batches[10];
    for (int batch = 0; batch < 10; ++batch)
        batches[batch] = RecipientBatch(batch * 1000);
    const std::string createReply =
        Reply("CreateSMSTextBulkJob", "<BulkJobId>5000001</BulkJobId><ErrorCode>OK</ErrorCode>");
    const std::string appendReply = Reply("AppendRecipients", "<ErrorCode>OK</ErrorCode>");
    const std::string readyReply = Reply("SetBulkJobReady", "<ErrorCode>OK</ErrorCode>");
    const CBenchSubmission submission;

    size_t bytesPerJob = 0;
    const long long iterations = context.Iterations(500);
    const double seconds = context.Time(iterations, [&] {
        // A fresh client per job, as the submitter makes one per submission.
        CZentavoSMSBulkSMSWebServiceClient_gSoap client;
        client.SetClientDetails("ZentavSMSOutlookAddin", "5.0.1", "");
        CMemoryTransport transport;
        transport.Install(client.GetProxy().soap);
        std::string jobId;
        transport.Reply = createReply;
        long long codes = client.CreateSMSTextBulkJob("ACCESSKEY", "SECRETKEY", "SMS Appointment Reminder",
                                                      submission, &jobId);
        transport.Reply = appendReply;
        for (const std::wstring& batch : batches)
            codes += client.AppendRecipients("ACCESSKEY", "SECRETKEY", jobId, &batch);
        transport.Reply = readyReply;
        codes += client.SetBulkJobReady("ACCESSKEY", "SECRETKEY", jobId);
        bytesPerJob = transport.BytesSent;
        CBenchContext::Keep(codes);
    });
    context.Report("10,000-recipient job (create, 10 batches, ready), per job", seconds * 1e3 / iterations, "ms",
                   "target: 20 ms or less; " + std::to_string(bytesPerJob / 1024) + " KB written per job");
}

// The key pair of the account that scripts/bench gives the simulator.
const char kSimulatorAccessKey[] = "BENCHACCESSKEY0001";
const char kSimulatorSecretKey[] = "BENCHSECRETKEY0001";

// One job of 1,000 recipients (create, one batch, ready) over WinINet and
// HTTPS to the simulator: the client thread's CPU time, and the elapsed
// time, which includes the simulator's own.
void ThousandRecipientJobOverWinInet(CBenchContext& context)
{
    if (CWin32Utils::GetEnvironmentVariable(GatewayAddresses::kBulkJobURLVariable).empty())
    {
        context.Skip("no gateway simulator (scripts/bench starts one)");
        return;
    }
    const std::wstring batch = RecipientBatch(0);
    const CBenchSubmission submission;
    long long accepted = 0;
    const long long iterations = context.Iterations(40);
    const double cpuBefore = CBenchContext::ThreadCPUSeconds();
    const double seconds = context.Time(iterations, [&] {
        CZentavoSMSBulkSMSWebServiceClient_gSoap client;
        client.SetClientDetails("ZentavSMSOutlookAddin", "5.0.1", "");
        std::string jobId;
        accepted += client.CreateSMSTextBulkJob(kSimulatorAccessKey, kSimulatorSecretKey, "SMS Appointment Reminder",
                                                submission, &jobId);
        accepted += client.AppendRecipients(kSimulatorAccessKey, kSimulatorSecretKey, jobId, &batch);
        accepted += client.SetBulkJobReady(kSimulatorAccessKey, kSimulatorSecretKey, jobId);
    });
    const double cpuSeconds = CBenchContext::ThreadCPUSeconds() - cpuBefore;
    if (accepted != 3 * iterations)
        throw std::runtime_error("the simulator refused a request of the job");
    context.Report("1,000-recipient job over WinINet, client CPU per job", cpuSeconds * 1e3 / iterations, "ms");
    context.Report("1,000-recipient job over WinINet, elapsed per job", seconds * 1e3 / iterations, "ms",
                   "the simulator's time included");
}

const CBenchRegistration g_BulkJob("bulkjob", &TenThousandRecipientJob);
const CBenchRegistration g_BulkJobWinInet("bulkjob_wininet", &ThousandRecipientJobOverWinInet);
} // namespace
