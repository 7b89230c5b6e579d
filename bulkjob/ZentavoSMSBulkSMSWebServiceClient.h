// The older client of the gateway's bulk-job web service: every operation of
// the service reached by name through the SOAP Toolkit's client object, with
// positional text arguments. The add-in submits bulk jobs through
// CZentavoSMSBulkSMSWebServiceClient_gSoap; nothing creates this class.
#pragma once

#include "bulkjob/SoapClientBase.h"

#include <string>

class CZentavoSMSBulkSMSWebServiceClient : public SoapClientBase
{
public:
    // Binds a new toolkit client object to the service; throws
    // CGeneralException (E_FAIL) when that fails, as it does wherever the
    // toolkit is not installed.
    CZentavoSMSBulkSMSWebServiceClient();
    ~CZentavoSMSBulkSMSWebServiceClient() override;

    // Every operation throws CGeneralException with the HRESULT when the call
    // fails, and SoapClientException when the toolkit describes the failure.
    std::string CreateSMSTextBulkJob(const std::string& accessKey, const std::string& secretKey,
                                     const std::string& bulkJobName, const std::string& from,
                                     const std::string& messageText);
    void AppendRecipients(const std::string& accessKey, const std::string& secretKey,
                          const std::string& bulkJobId, const std::string& recipientList);
    void SetBulkJobUserContext(const std::string& accessKey, const std::string& secretKey,
                               const std::string& bulkJobId, const std::string& userContext);
    void SetBulkJobReady(const std::string& accessKey, const std::string& secretKey, const std::string& bulkJobId);
    void PauseBulkJob(const std::string& accessKey, const std::string& secretKey, const std::string& bulkJobId);
    void RestartBulkJob(const std::string& accessKey, const std::string& secretKey, const std::string& bulkJobId);
    void AbortBulkJob(const std::string& accessKey, const std::string& secretKey, const std::string& bulkJobId);
    void SetBulkJobMaxConCatMsgs(const std::string& accessKey, const std::string& secretKey,
                                 const std::string& bulkJobId, int maxConCatMsgs);
    void SetBulkJobReplyRouting(const std::string& accessKey, const std::string& secretKey,
                                const std::string& bulkJobId, const std::string& replyTo, int routingType);
    void SetBulkJobScheduledDate(const std::string& accessKey, const std::string& secretKey,
                                 const std::string& bulkJobId, DATE scheduledDate);
    // The job's status text; the schedule and the three counts come back
    // through the service's by-reference arguments.
    std::string GetBulkJobStatus(const std::string& accessKey, const std::string& secretKey,
                                 const std::string& bulkJobId, DATE& scheduledDate, long& totalRecipients,
                                 long& msgProcessed, long& msgSent);

    // Stores the HRESULT and throws CGeneralException when it is a failure.
    HRESULT Invoke(const wchar_t* methodName, VARIANT* arguments, UINT argumentCount, VARIANT* result) override;
};
