// Gateway client: the work an HTTPS send of 100 recipients costs besides the
// network, building the form and reading the 100-line reply.
#include "bench/Bench.h"

#include "gateway/SMSGatewayProxy.h"

#include <windows.h>

namespace
{
void HundredRecipientSend(CBenchContext& context)
{
    std::string to;
    std::string reply;
    for (int i = 0; i < 100; ++i)
    {
        const std::string number = std::to_string(447700900100LL + i);
        to += (i ? "," : "") + number;
        reply += number + ",ID:" + std::to_string(2000000 + i) + "\n";
    }
    std::string text;
    while (text.size() < 160)
        text += "Reminder: team meeting moved to 15:00 in room 4 - bring the Q3 figures & your laptop. ";
    text.resize(160);

    CSMSGatewayProxy proxy;
    proxy.SetInterface(0x20000001);
    CSMSGatewaySendOptions options;
    options.m_FromType = 1;
    options.m_ReplyTo.m_InterfaceId = 0x20000001;
    options.m_ReplyTo.m_Id = L"someone@example.com";
    options.m_ReplyTo.m_Name = L"Some One";
    options.m_MessageSource = options.m_ReplyTo;
    options.m_DeliveryReportSetting = drsReportStatuses;
    options.m_DeliveryReportStatusMask = drsfDeliverySuccess | drsfDeliveryFailure;
    options.m_RoutingType = rrtMsgSource;

    const long long iterations = context.Iterations(20000);
    const double cpuBefore = CBenchContext::ThreadCPUSeconds();
    const double seconds = context.Time(iterations, [&] {
        const std::string form = proxy.BuildSendMessageForm(options, "ACCESSKEY0001", "SECRETKEY0001", to,
                                                            "Zentavo", text, "", "", 1, 1);
        std::string value;
        SMSGatewayResultCode status = CSMSGatewayService::ParseResponse(reply, "ID:", value);
        std::vector<CSMSSendStatus> records;
        CSMSGatewayProxy::ParseSendMessageResponse(records, to, status, reply);
        CBenchContext::Keep(static_cast<long long>(form.size() + records.size() + value.size()));
    });
    const double cpuSeconds = CBenchContext::ThreadCPUSeconds() - cpuBefore;
    context.Report("100 recipients: form + reply, CPU per send", cpuSeconds * 1e6 / iterations, "us",
                   "target: 200 us or less");
    context.Report("100 recipients: form + reply, elapsed per send", seconds * 1e6 / iterations, "us");
}

const CBenchRegistration g_GatewaySend("gateway", &HundredRecipientSend);
} // namespace
