// The client of the gateway's bulk-job web service: one blocking call per
// service operation, on the caller's thread. Requests are filled from the
// system's own values; every reply's error code comes back as a gateway
// status code (1 is success); every failure of the call itself is thrown:
// CHTTPException "HTTP Error" when the transport failed,
// CHTTPRefusalException when a reply that is no fault of the service's came
// under an HTTP status of 400 to 499, CGeneralException for a SOAP fault, a
// reply that is not the expected message, or a value that has no
// counterpart on the other side.
//
// One object serves one submission: it owns its SOAP context, and everything
// the context allocated for replies lives until the object is destroyed.
//
// Include this header before anything that includes windows.h: the SOAP
// runtime's header needs winsock2.h first.
#pragma once

#include "bulkjob/service/ZentavoBulkJobSoap.h"
#include "core/DateTimeUtils.h"
#include "gateway/ZentavoSMSGatewaySubmission.h"

#include <windows.h>

#include <cstdint>
#include <string>

// The state of a job as GetBulkJobStatus reports it. Owned by the caller.
struct BulkJobStatusDetails
{
    std::uint32_t Status = 0;   // 0 Unknown .. 6 Paused, numbered as the service's BulkJobStatus
    double ScheduledTime = 0.0; // seconds since 1970-01-01 00:00:00 UTC
    std::int32_t TotalRecipients = 0;
    std::int32_t MsgProcessed = 0;
    std::int32_t MsgSent = 0;
};

class CZentavoSMSBulkSMSWebServiceClient_gSoap
{
public:
    // Creates the SOAP context with WinINet as its transport, posting to the
    // bulk-job service address.
    CZentavoSMSBulkSMSWebServiceClient_gSoap();
    ~CZentavoSMSBulkSMSWebServiceClient_gSoap();
    CZentavoSMSBulkSMSWebServiceClient_gSoap(const CZentavoSMSBulkSMSWebServiceClient_gSoap&) = delete;
    CZentavoSMSBulkSMSWebServiceClient_gSoap& operator=(const CZentavoSMSBulkSMSWebServiceClient_gSoap&) = delete;

    // The client details sent with every new job.
    void SetClientDetails(const std::string& appId, const std::string& appVersion, const std::string& appLicence);

    // Creates a job from a submission record: its text, sender, parts,
    // schedule, end points and delivery-report settings. jobId receives the
    // new job's id, empty when the call failed.
    int CreateSMSTextBulkJob(const std::string& accessKey, const std::string& secretKey, const std::string& jobName,
                             const CZentavoSMSGatewaySubmission& submission, std::string* jobId);

    // recipients is sent as it is, without a copy; null sends no list.
    int AppendRecipients(const std::string& accessKey, const std::string& secretKey, const std::string& jobId,
                         const std::wstring* recipients);
    int SetBulkJobReady(const std::string& accessKey, const std::string& secretKey, const std::string& jobId);
    int PauseBulkJob(const std::string& accessKey, const std::string& secretKey, const std::string& jobId);
    int RestartBulkJob(const std::string& accessKey, const std::string& secretKey, const std::string& jobId);
    int AbortBulkJob(const std::string& accessKey, const std::string& secretKey, const std::string& jobId);
    // details is cleared first and filled only when the reply's code is OK.
    int GetBulkJobStatus(const std::string& accessKey, const std::string& secretKey, const std::string& jobId,
                         BulkJobStatusDetails& details);

    // The conversions between the service's numbers and the system's; each
    // throws CGeneralException (E_FAIL) for a value it does not support.
    static std::uint32_t ConvertFromWebReturnCode(std::uint32_t exceptionType);
    static std::uint32_t ConvertFromWebBulkJobStatusId(std::uint32_t statusId);
    static std::uint32_t ConvertToWebServiceInterface(std::uint32_t interfaceId);
    static std::uint32_t ConvertToWebServiceRoutingType(std::uint32_t routingType);
    static std::uint32_t ConvertToWebServiceReportingSettingStatusFlags(std::uint32_t deliveryReportSetting,
                                                                        std::uint32_t statusMask);

    // The service proxy and its context, for the transport's set-up and for
    // inspection.
    ZentavoBulkJobSoap& GetProxy() { return m_Proxy; }

private:
    // The common steps of the operations that name a job: the request with
    // credentials and job id (fill adds the rest), the time-out, the call,
    // and the reply's result element.
    template <class Request, class Response, class Input, class Output, class Fill>
    const Output& CallJobOperation(const char* name, std::uint32_t timeout, const std::string& accessKey,
                                   const std::string& secretKey, const std::string& jobId,
                                   int (ZentavoBulkJobSoap::*operation)(Request*, Response*),
                                   Input* Request::*inputMember, Output* Response::*resultMember, Fill fill);

    static void SetTimeout(ZentavoBulkJobSoap& proxy, std::uint32_t milliseconds);
    [[noreturn]] static void ThrowSoapCallException(const char* context, ZentavoBulkJobSoap& proxy);
    static void AddStatusCodeFlag(std::uint32_t& flags, std::uint32_t flag);

    ZentavoBulkJobSoap m_Proxy;
    std::string ClientId;
    std::string ClientVersion;
    std::string AppId;
    std::string AppVersion;
    std::string AppLicence;
};
